// The re-issue of ReissueWindow: the checks on the old card, then one card operation on a blank
// card that numbers the new card, stores its rows and writes and prints it before the commit.
#include "windows/issue/ReissueWindow.h"

#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/ShowMsg.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "device/CardFace.h"
#include "ui/CardMessagePanel.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "db/Parameters.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// The stripe holds seven bytes of card number; a longer number would be cut on the card.
constexpr int kStripeCardNoBytes = 7;

// Only a card taken back (erased or blacklisted) can be replaced.
bool IsTakenBack(const QVariant& status) {
  const QString s = status.toString();
  return s.startsWith(QLatin1Char('8')) || s.startsWith(QLatin1Char('9'));
}

bool IsExpired(const QVariant& goodThru) {
  const auto when = ToDateTime(goodThru);
  return when && when->date() < Today();
}

QString ReplacedText(const QString& newCardNo) {
  return QStringLiteral("此卡已補發過，新卡卡號：") + newCardNo;
}

QString StatusDscp(const QVariant& status) {
  QString dscp;
  return getCodeDscp(QStringLiteral("TolvaStatus"), status.toString(), dscp) ? dscp : status.toString();
}

}  // namespace

void ReissueWindow::cmdIsuCard_Click() {
  // The card wait lets window events run; a second press must not start a re-issue inside this one.
  if (running_) return;
  running_ = true;
  cmdIsuCard_->setEnabled(false);
  try {
    reIssue();
  } catch (...) {
    ReportError(QStringLiteral("fmReIssueCard_cmdIsuCard_Click"));
  }
  cmdIsuCard_->setEnabled(true);
  running_ = false;
}

// The end step of a run stopped by a check: the card's values, no remark.
void ReissueWindow::logRecord(const CardRow& card) {
  WriteAPLog(gAppName, ApAction::Reissue,
             QStringLiteral("卡號:") + card.CardNo.toString() + QStringLiteral("，可用餘額:") +
                 CardValueText(card.BalAmt) + QStringLiteral("，可用點數:") + CardValueText(card.BalPoint));
}

bool ReissueWindow::checkOldCard(const CardRow& old, QString& msg) {
  if (IsExpired(old.GoodThru)) {
    msg = QStringLiteral("超過有效日期，不可再補發卡");
  } else if (!IsTakenBack(old.Status)) {
    // The operator is told why: the card is still in use, and which status it has.
    msg = QStringLiteral("不可補發卡（此卡狀態為") + old.Status.toString() + QLatin1Char(' ') + StatusDscp(old.Status) +
          QStringLiteral("，只有已清除或黑名單的卡片可補發）");
  } else {
    // An old card is replaced once: a second new card would carry the same value again.
    const QString replacement = ReplacementOf(old.CardNo.toString());
    if (replacement.isEmpty()) return true;
    msg = ReplacedText(replacement);
  }
  return false;
}

bool ReissueWindow::askConfirm(const CardRow& old) {
  return Dialogs().askYesNo(QStringLiteral("此張卡片為") + StatusDscp(old.Status) + QStringLiteral("的卡片") +
                                QStringLiteral("\r\n") + QStringLiteral("是否要補發?"),
                            QStringLiteral("是否要補發卡片"));
}

bool ReissueWindow::writeRows(const QString& oldCardNo, const QString& cardType, const QString& remark,
                              const QString& freeText, CardRow& card, std::optional<CardImage>& next, QString& msg) {
  // The old row again, inside the transaction, held by a write of its own values so that a
  // second workstation replacing the same card waits and then sees this one's new row.
  gCnn().execute(QStringLiteral("UPDATE Tolva SET OCardNo = OCardNo WHERE CardNo = ?"), {oldCardNo});
  CardRow old;
  if (!LoadOldCard(oldCardNo, old)) {
    msg = QStringLiteral("資料庫無此卡號");
    return false;
  }
  if (!checkOldCard(old, msg)) return false;

  qint64 serial = 0;
  QString serialText;
  // Drawn inside the transaction: a re-issue rolled back gives its number back.
  if (!NextNumber(cardType, QStringLiteral("Tolva"), serial, serialText)) {
    msg = gMsg.toString();
    return false;
  }
  card = old;
  card.CardNo = cardType + serialText;
  const QString cardNo = card.CardNo.toString();
  if (CodePage::toAnsi(cardNo).size() > kStripeCardNoBytes) {
    msg = QStringLiteral("卡號超過7碼，卡號:") + cardNo;
    return false;
  }
  card.OCardNo = oldCardNo;
  card.Status = CardStatus::Reissued;
  card.UserID = gUserID;
  card.POSID = gWorkstation;
  card.UpdUserID = QString();
  card.Remark = remark;
  if (!InsertCard(card, gCnn())) {
    msg = QStringLiteral("Tolva主檔寫入失敗") + QStringLiteral("，卡號:") + cardNo;
    return false;
  }
  JournalRow txn;
  txn.TxnDept = gStoreID;
  txn.TxnType = TxnType::Reissue;
  txn.CardNo = cardNo;
  txn.TxnDate = Today();
  txn.TxnAmt = CardValueText(card.BalAmt);
  txn.TxnPoint = CardValueText(card.BalPoint);
  txn.RefCheckNo = QString();
  txn.POSID = gWorkstation;
  txn.UserID = gUserID;
  txn.Remark = QString();
  if (!InsertJournalRow(txn, gCnn())) {
    msg = QStringLiteral("Tolva記錄檔寫入失敗") + QStringLiteral("，卡號:") + cardNo;
    return false;
  }
  next = CardImage{cardNo, card.IssueDept.toString(), card.BatchNo.toString(), card.GoodThru,
                   CardValueText(card.BalAmt), CardValueText(card.BalPoint), freeText, std::nullopt, std::nullopt};
  return true;
}

void ReissueWindow::reIssue() {
  elaMsg_->setCaption(QString());
  const QString oldCardNo = txtOCardNo_->text().trimmed().toUpper();
  CardRow old;
  old.CardNo = oldCardNo;
  if (gBatchKey.isEmpty()) {
    DispElaMsg(elaMsg_, QStringLiteral("未設定資料加密碼"));
    logRecord(old);
    return;
  }
  if (oldCardNo.isEmpty()) {
    ShowMsg(QStringLiteral("原卡號一定要輸入"));
    logRecord(old);
    return;
  }
  // The row as it is now, not as it was shown: another window may have changed it since.
  if (!LoadOldCard(oldCardNo, old)) {
    DispElaMsg(elaMsg_, QStringLiteral("資料庫無此卡號"));
    logRecord(old);
    return;
  }
  QString msg;
  if (!checkOldCard(old, msg)) {
    ShowMsg(msg);
    logRecord(old);
    return;
  }
  if (!askConfirm(old)) return;
  const QString cardType = txtNewCardType_->text().trimmed().toUpper();
  if (cardType.isEmpty()) {
    ShowMsg(QStringLiteral("新卡卡別一定要輸入"));
    logRecord(old);
    return;
  }
  // The button must not get round the field's check.
  if (!txtRemark_Validate()) {
    logRecord(old);
    return;
  }
  const QString remark = txtRemark_->text().trimmed();
  const QString freeText = panel_->faceText();

  CardRow card;
  CardOperation op(QStringLiteral("fmReIssueCard_cmdIsuCard_Click"), ApAction::Reissue);
  op.requireBlank = true;
  op.requireRecord = false;
  op.rows = [&](const CardRead&, std::optional<CardImage>& next, QString& m) {
    return writeRows(oldCardNo, cardType, remark, freeText, card, next, m);
  };
  op.successText = [&card](const CardRead&) {
    return QStringLiteral("卡號:") + card.CardNo.toString() + QStringLiteral("，可用餘額:") +
           CardValueText(card.BalAmt) + QStringLiteral("，可用點數:") + CardValueText(card.BalPoint);
  };
  op.failureText = [&card](const CardRead&, const QString& m) {
    const QString cardNo = card.CardNo.toString();
    return cardNo.isEmpty() || m.contains(cardNo) ? m : m + QStringLiteral("，卡號:") + cardNo;
  };
  if (op.run(msg)) {
    DispElaMsg(elaMsg_, QStringLiteral("已補發，新卡卡號：") + card.CardNo.toString(), 0);
    return;
  }
  DispElaMsg(elaMsg_, msg);
  if (op.cancelled()) return;
  const QString cardNo = card.CardNo.toString();
  Dialogs().messageBox(cardNo.isEmpty() || msg.contains(cardNo) ? msg : msg + QStringLiteral("，卡號:") + cardNo,
                       gAppName, MsgIcon::None);
}
