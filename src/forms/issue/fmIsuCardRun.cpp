// The issuing run of fmIsuCard: one database transaction per card, committed only after the
// card left the device with its stripe written and its face printed.
#include "forms/issue/fmIsuCard.h"

#include "app/Clock.h"
#include "app/CodePage.h"
#include "app/ErrorReport.h"
#include "app/OperatorDialogs.h"
#include "app/globals.h"
#include "app/Money.h"
#include "app/uiElaBar.h"
#include "card/basQDR_Print.h"
#include "card/uiCardMsgPanel.h"
#include "db/Connection.h"
#include "db/Records.h"
#include "db/basDB.h"

#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace {

const QString kAction = QStringLiteral("發卡");
// The stripe holds seven bytes of card number; a longer number would be cut on the card.
constexpr int kStripeCardNoBytes = 7;

// The last day of the month twelve months after `today`.
QDate GoodThruOf(const QDate& today) {
  const QDate later = today.addMonths(13);
  return QDate(later.year(), later.month(), 1).addDays(-1);
}

}  // namespace

struct fmIsuCard::RunValues {
  QString freeText;
  QDate goodThru;
  QDate issueDate;
  qint64 count = 0;
  QString cardType;  // the field's text: the prefix of every card number
  QString store;
  Money balAmt;
  QString remark;
  QString batchNo, defCardType, posID, userID, txnDept;
  QString txnRemark;
};

bool fmIsuCard::fixRunValues(RunValues& run, QString& failText) {
  run.freeText = msgPanel_->faceText();
  run.issueDate = Today();
  run.goodThru = GoodThruOf(run.issueDate);
  run.count = Money::val(txtCardCnt_->text()).units() / Money::kScale;
  run.cardType = txtCardType_->text().trimmed();
  run.store = txtStoreID_->text().trimmed();
  run.balAmt = Money::val(txtBalAmt_->text());
  run.remark = txtRemark_->text().trimmed();
  run.batchNo = gBatchNo;
  run.defCardType = gDefCardType;
  run.posID = gWorkstation;
  run.userID = gUserID;
  run.txnDept = gStoreID;
  if (run.count <= 0) return true;  // nothing to issue: no batch serial is used up
  qint64 serial = 0;
  QString serialText;
  if (!getXXNo(QStringLiteral("TL"), run.goodThru.toString(QStringLiteral("yyyyMMdd")), serial, serialText)) {
    failText = gMsg.toString();
    return false;
  }
  run.txnRemark = run.store + serialText;
  return true;
}

bool fmIsuCard::issueOneCard(const RunValues& run, QString& cardNo, QString& failText) {
  qint64 serial = 0;
  QString serialText;
  // Drawn inside the card's transaction: a card rolled back gives its serial back.
  if (!getXXNo(run.cardType, QStringLiteral("Tolva"), serial, serialText)) {
    failText = gMsg.toString();
    return false;
  }
  cardNo = run.cardType + serialText;
  if (CodePage::toAnsi(cardNo).size() > kStripeCardNoBytes) {
    failText = QStringLiteral("卡號超過7碼");
    return false;
  }

  TolvaRec rec;
  rec.BatchNo = run.batchNo;
  rec.CardType = run.defCardType;
  rec.CardNo = cardNo;
  rec.Status = QStringLiteral("01");
  rec.IssueDate = run.issueDate;
  rec.GoodThru = run.goodThru;
  rec.BalAmt = run.balAmt.toString();
  rec.BalPoint = QStringLiteral("0");
  rec.IssueDept = run.store;
  rec.OCardNo = QString();
  rec.POSID = run.posID;
  rec.UserID = run.userID;
  rec.UpdUserID = QString();
  rec.Remark = run.remark;
  if (!ADD_Tolva(rec, gCnn())) {
    failText = QStringLiteral("Tolva主檔寫入失敗");
    return false;
  }

  TolvaLogRec txn;
  txn.TxnDept = run.txnDept;
  txn.TxnType = QStringLiteral("11");
  txn.CardNo = cardNo;
  txn.TxnDate = run.issueDate;
  txn.TxnAmt = run.balAmt.toString();
  txn.TxnPoint = QStringLiteral("0");
  txn.RefCheckNo = QString();
  txn.POSID = run.posID;
  txn.UserID = run.userID;
  txn.Remark = run.txnRemark;
  if (!ADD_TolvaLog(txn, gCnn())) {
    failText = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }

  if (!BorixPrint(rec, failText, run.freeText)) {
    if (failText.isEmpty()) failText = QStringLiteral("製卡失敗");
    return false;
  }
  return true;
}

void fmIsuCard::cmdIsuCard_Click() {
  // The card wait lets window events run; a second click must not start a run inside this one.
  if (running_) return;
  running_ = true;
  cmdIsuCard_->setEnabled(false);

  std::optional<TransactionGuard> trans;
  qint64 committed = 0;
  QString firstCardNo, lastCardNo, failText;
  try {
    if (FormCheck()) {
      RunValues run;
      if (!fixRunValues(run, failText)) {
        Dialogs().messageBox(failText, gAppName, MsgIcon::None);
      } else {
        for (qint64 index = 1; index <= run.count; ++index) {
          trans.emplace(gCnn());
          QString cardNo;
          failText.clear();
          if (!issueOneCard(run, cardNo, failText)) {
            if (!cardNo.isEmpty()) failText += QStringLiteral("，卡號:") + cardNo;
            Dialogs().messageBox(failText, gAppName, MsgIcon::None);
            break;
          }
          trans->commit();
          trans.reset();
          ++committed;
          // The grid lists only what the database holds, so the row follows the commit.
          WriteLog(cardNo, run.balAmt.toString());
          if (committed == 1) firstCardNo = cardNo;
          lastCardNo = cardNo;
          DispElaMsg(elaMsg_, QStringLiteral("已發卡，卡號：") + cardNo);
          txtCardCnt_->setText((Money::val(txtCardCnt_->text()) - Money::fromInt(1)).toString());
        }
      }
    }
  } catch (...) {
    ReportError(QStringLiteral("fmIsuCard_cmdIsuCard_Click"));
    if (failText.isEmpty()) failText = QStringLiteral("執行錯誤");
  }

  // Closing steps; a failure here must not hide the ones after it.
  try {
    if (trans) {
      trans->rollback();
      trans.reset();
      WriteAPLog(gAppName, kAction, failText, QStringLiteral("系統錯誤"));
    }
  } catch (...) {
    LogError(QStringLiteral("fmIsuCard_cmdIsuCard_Click"));
  }
  trans.reset();
  if (committed > 0) {
    WriteAPLog(gAppName, kAction, QStringLiteral("已發張數:") + QString::number(committed) + QStringLiteral(" 卡號:") +
                                      firstCardNo + QStringLiteral("-") + lastCardNo);
  }
  cmdIsuCard_->setEnabled(true);
  running_ = false;
}
