// The issuing run of IssueWindow: one card operation per card, on a blank card; each card's rows
// are committed while the card, written and printed, is still in the reader.
#include "windows/issue/IssueWindow.h"

#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "core/Money.h"
#include "ui/StatusPanel.h"
#include "device/CardFace.h"
#include "device/StripeRecord.h"
#include "ui/CardMessagePanel.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "ledger/CardCodes.h"
#include "db/Parameters.h"

#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace {

// The stripe holds seven bytes of card number; a longer number would be cut on the card.
constexpr int kStripeCardNoBytes = 7;

}  // namespace

struct IssueWindow::RunValues {
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

bool IssueWindow::fixRunValues(RunValues& run, QString& failText) {
  run.freeText = msgPanel_->faceText();
  run.issueDate = Today();
  run.goodThru = RenewedGoodThru(run.issueDate);
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
  // What the stripe cannot hold would reach it as another character, and the card could never
  // be matched with its row.
  for (const QString& text : {run.cardType, run.store, run.batchNo}) {
    if (!FitsCardCodePage(text)) {
      failText = QStringLiteral("卡片資料含有無法寫入磁條的字元：") + text;
      return false;
    }
  }
  qint64 serial = 0;
  QString serialText;
  if (!NextNumber(QStringLiteral("TL"), run.goodThru.toString(QStringLiteral("yyyyMMdd")), serial, serialText)) {
    failText = gMsg.toString();
    return false;
  }
  run.txnRemark = run.store + serialText;
  return true;
}

bool IssueWindow::writeCardRows(const RunValues& run, QString& cardNo, std::optional<CardImage>& next,
                               QString& failText) {
  qint64 serial = 0;
  QString serialText;
  // Drawn inside the card's transaction: a card rolled back gives its serial back.
  if (!NextNumber(run.cardType, QStringLiteral("Tolva"), serial, serialText)) {
    failText = gMsg.toString();
    return false;
  }
  cardNo = run.cardType + serialText;
  if (CodePage::toAnsi(cardNo).size() > kStripeCardNoBytes) {
    failText = QStringLiteral("卡號超過7碼");
    return false;
  }

  CardRow rec;
  rec.BatchNo = run.batchNo;
  rec.CardType = run.defCardType;
  rec.CardNo = cardNo;
  rec.Status = CardStatus::Issued;
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
  if (!InsertCard(rec, gCnn())) {
    failText = QStringLiteral("Tolva主檔寫入失敗");
    return false;
  }

  JournalRow txn;
  txn.TxnDept = run.txnDept;
  txn.TxnType = TxnType::Issue;
  txn.CardNo = cardNo;
  txn.TxnDate = run.issueDate;
  txn.TxnAmt = run.balAmt.toString();
  txn.TxnPoint = QStringLiteral("0");
  txn.RefCheckNo = QString();
  txn.POSID = run.posID;
  txn.UserID = run.userID;
  txn.Remark = run.txnRemark;
  if (!InsertJournalRow(txn, gCnn())) {
    failText = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }

  next = CardImage{cardNo, run.store, run.batchNo, run.goodThru, CardValueText(rec.BalAmt), CardValueText(rec.BalPoint),
                   run.freeText, std::nullopt, std::nullopt};
  return true;
}

IssueWindow::CardOutcome IssueWindow::issueOneCard(const RunValues& run, QString& cardNo, QString& failText) {
  CardOperation op(QStringLiteral("fmIsuCard_cmdIsuCard_Click"), QString());  // the run is logged as a whole
  op.requireBlank = true;
  op.requireRecord = false;
  bool rowsRan = false;
  op.rows = [&](const CardRead&, std::optional<CardImage>& next, QString& m) {
    rowsRan = true;
    return writeCardRows(run, cardNo, next, m);
  };
  if (op.run(failText)) return CardOutcome::Issued;
  if (op.faceUnprinted()) return CardOutcome::IssuedUnprinted;
  if (failText.isEmpty()) failText = QStringLiteral("製卡失敗");
  // A cancelled wait ends the run like any failed card; so does a reader that does not open.
  if (rowsRan || op.cancelled() || failText == CardOperation::busyText() || op.waitCode() == -99 ||
      op.waitCode() == -2) {
    return CardOutcome::Failed;
  }
  // A card refused before anything was written (not blank, badly inserted, unreadable): the
  // operator takes it out and inserts the next one.
  return CardOutcome::Refused;
}

void IssueWindow::cmdIsuCard_Click() {
  // The card wait lets window events run; a second click must not start a run inside this one.
  if (running_) return;
  running_ = true;
  cmdIsuCard_->setEnabled(false);

  qint64 committed = 0;
  bool failed = false;
  QString firstCardNo, lastCardNo, failText, unprinted;
  try {
    if (FormCheck()) {
      RunValues run;
      if (!fixRunValues(run, failText)) {
        Dialogs().messageBox(failText, gAppName, MsgIcon::None);
        failed = true;
      } else {
        while (committed < run.count) {
          QString cardNo;
          failText.clear();
          const CardOutcome outcome = issueOneCard(run, cardNo, failText);
          if (outcome == CardOutcome::Refused) {
            DispElaMsg(elaMsg_, failText);
            continue;
          }
          if (outcome == CardOutcome::Failed) {
            if (!cardNo.isEmpty() && !failText.contains(cardNo)) failText += QStringLiteral("，卡號:") + cardNo;
            Dialogs().messageBox(failText, gAppName, MsgIcon::None);
            failed = true;
            break;
          }
          ++committed;
          // The grid lists only what the database holds, so the row follows the commit.
          WriteLog(cardNo, run.balAmt.toString());
          if (committed == 1) firstCardNo = cardNo;
          lastCardNo = cardNo;
          DispElaMsg(elaMsg_, QStringLiteral("已發卡，卡號：") + cardNo);
          txtCardCnt_->setText((Money::val(txtCardCnt_->text()) - Money::fromInt(1)).toString());
          if (outcome == CardOutcome::IssuedUnprinted) {
            // The card is issued; the run stops so that it is put aside for its face.
            Dialogs().messageBox(failText, gAppName, MsgIcon::None);
            unprinted = cardNo;
            break;
          }
        }
      }
    }
  } catch (...) {
    ReportError(QStringLiteral("fmIsuCard_cmdIsuCard_Click"));
    if (failText.isEmpty()) failText = QStringLiteral("執行錯誤");
    failed = true;
  }

  // Closing steps; a failure here must not hide the ones after it.
  try {
    if (failed) WriteAPLog(gAppName, ApAction::Issue, failText, kApFailRemark);
    if (committed > 0) {
      const QString issued = QStringLiteral("已發張數:") + QString::number(committed) + QStringLiteral(" 卡號:") +
                             firstCardNo + QStringLiteral("-") + lastCardNo;
      if (unprinted.isEmpty()) {
        WriteAPLog(gAppName, ApAction::Issue, issued);
      } else {
        WriteAPLog(gAppName, ApAction::Issue, issued + QStringLiteral("；卡號 ") + unprinted + QStringLiteral(" 卡面未印妥"),
                   kApReprintRemark);
      }
    }
  } catch (...) {
    LogError(QStringLiteral("fmIsuCard_cmdIsuCard_Click"));
  }
  cmdIsuCard_->setEnabled(true);
  running_ = false;
}
