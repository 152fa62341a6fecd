#pragma once
// Issuing a run of new cards: one card operation per blank card; each card's rows are
// committed while the card, written and printed, is still in the reader.
#include "core/Fetched.h"
#include "core/Money.h"
#include "operations/OperationContext.h"

#include <QDate>
#include <QString>

// What every card of a run carries. The caller fills the typed values; PrepareIssueRun the rest.
struct IssueRun {
  // Typed
  QString freeText;  // the card message printed under the values
  qint64 count = 0;
  QString cardType;  // the prefix of every card number
  QString store;
  Money balAmt;
  QString remark;
  // Fixed for the run
  QDate issueDate;
  QDate goodThru;
  QString batchNo, defCardType, posID, userID, txnDept;
  QString txnRemark;  // the store and the run's batch serial
};

// Fixes the run's dates and settings and draws its batch serial. False with `failText`.
bool PrepareIssueRun(const OperationContext& ctx, IssueRun& run, QString& failText);

enum class IssueResult {
  Issued,
  IssuedUnprinted,  // committed, but the face must be printed again (failText says so)
  Refused,          // turned down before anything was written: the operator inserts another
  Failed,           // the run ends here
};

// Issues the next card of the run on the blank card in the reader; `cardNo` receives its number.
IssueResult IssueOneCard(const OperationContext& ctx, const IssueRun& run, QString& cardNo, QString& failText);

// The run's application-log rows: its failure, if any, and the cards it issued.
void LogIssueRun(bool failed, const QString& failText, qint64 committed, const QString& firstCardNo,
                 const QString& lastCardNo, const QString& unprintedCardNo);

// The name of the store a run issues for; false when there is no such store.
Fetched<bool> IssuingStoreName(const OperationContext& ctx, const QString& code, QString& name);
