#include "operations/CardIssue.h"

#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Parameters.h"
#include "device/CardFace.h"
#include "device/StripeRecord.h"
#include "ledger/CardCodes.h"
#include "ledger/CardRows.h"
#include "ledger/Stores.h"
#include "operations/CardOperation.h"

namespace {

// The stripe holds seven bytes of card number; a longer number would be cut on the card.
constexpr int kStripeCardNoBytes = 7;

bool writeCardRows(const OperationContext& ctx, const IssueRun& run, QString& cardNo, std::optional<CardImage>& next,
                   QString& failText) {
  qint64 serial = 0;
  QString serialText;
  // Drawn inside the card's transaction: a card rolled back gives its serial back.
  if (!NextNumber(run.cardType, QStringLiteral("Tolva"), serial, serialText, ctx.db, &failText)) {
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
  if (!InsertCard(rec, ctx.db)) {
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
  if (!InsertJournalRow(txn, ctx.db)) {
    failText = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }

  next = CardImage{cardNo, run.store, run.batchNo, run.goodThru, CardValueText(rec.BalAmt), CardValueText(rec.BalPoint),
                   run.freeText, std::nullopt, std::nullopt};
  return true;
}

}  // namespace

bool PrepareIssueRun(const OperationContext& ctx, IssueRun& run, QString& failText) {
  run.issueDate = Today();
  run.goodThru = RenewedGoodThru(run.issueDate);
  run.batchNo = ctx.settings.batchNo;
  run.defCardType = ctx.settings.defaultCardType;
  run.posID = ctx.workstation;
  run.userID = ctx.operatorId;
  run.txnDept = ctx.storeId;
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
  if (!NextNumber(QStringLiteral("TL"), run.goodThru.toString(QStringLiteral("yyyyMMdd")), serial, serialText, ctx.db,
                  &failText)) {
    return false;
  }
  run.txnRemark = run.store + serialText;
  return true;
}

IssueResult IssueOneCard(const OperationContext& ctx, const IssueRun& run, QString& cardNo, QString& failText) {
  CardOperation op(ctx.db, QStringLiteral("IssueOneCard"), QString());  // the run is logged as a whole
  op.requireBlank = true;
  op.requireRecord = false;
  bool rowsRan = false;
  op.rows = [&](const CardRead&, std::optional<CardImage>& next, QString& m) {
    rowsRan = true;
    return writeCardRows(ctx, run, cardNo, next, m);
  };
  if (op.run(failText)) return IssueResult::Issued;
  if (op.faceUnprinted()) return IssueResult::IssuedUnprinted;
  if (failText.isEmpty()) failText = QStringLiteral("製卡失敗");
  // A cancelled wait ends the run like any failed card; so does a reader that does not open.
  if (rowsRan || op.cancelled() || failText == CardOperation::busyText() || op.waitCode() == -99 ||
      op.waitCode() == -2) {
    return IssueResult::Failed;
  }
  // A card refused before anything was written (not blank, badly inserted, unreadable): the
  // operator takes it out and inserts the next one.
  return IssueResult::Refused;
}

void LogIssueRun(bool failed, const QString& failText, qint64 committed, const QString& firstCardNo,
                 const QString& lastCardNo, const QString& unprintedCardNo) {
  if (failed) WriteActivityLog(TheSettings().appName, ApAction::Issue, failText, kApFailRemark);
  if (committed == 0) return;
  const QString issued = QStringLiteral("已發張數:") + QString::number(committed) + QStringLiteral(" 卡號:") +
                         firstCardNo + QStringLiteral("-") + lastCardNo;
  if (unprintedCardNo.isEmpty()) {
    WriteActivityLog(TheSettings().appName, ApAction::Issue, issued);
  } else {
    WriteActivityLog(TheSettings().appName, ApAction::Issue, issued + QStringLiteral("；卡號 ") + unprintedCardNo + QStringLiteral(" 卡面未印妥"),
               kApReprintRemark);
  }
}

Fetched<bool> IssuingStoreName(const OperationContext& ctx, const QString& code, QString& name) {
  name.clear();
  return StoreExists(ctx.db, code, &name);
}
