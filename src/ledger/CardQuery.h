#pragma once
// One card as the database holds it: the master row with its status description and store
// name, and the history with each row's store name and type description. The query window and
// the blacklisting window show the same thing from the same routine.
#include "core/Fetched.h"
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class Connection;

// The grid of the history: its headings and the columns hidden or right-aligned.
inline const QString kCardLogHeadings = QStringLiteral(
    "記錄序號|店代號|店名|交易類別|交易類別|卡號|交易日|交易金額|紅利點數|帳單號碼|POS識別碼|建檔人員|備註說明|建檔日期");
inline constexpr int kCardLogCols = 14;
inline const QList<int> kCardLogHiddenCols = {0, 13, 3};
inline const QList<int> kCardLogRightCols = {7, 8};

struct CardQuery {
  // Display text by field name ("txtCardNo", "txtBalAmt", "txtDeptName", ...).
  QMap<QString, QString> fields;
  // The values the card is compared with, as the database holds them.
  QString batchNo;
  QString issueDept;
  QVariant goodThru;
  QVariant balAmt;
  QVariant balPoint;
  // The history, oldest first: one row of kCardLogCols display texts per transaction.
  QList<QStringList> history;
};

// The field names LoadCardQuery fills, in the order they are filled.
const QStringList& CardQueryFieldNames();

// Loads the card. False when table Tolva has no such card (`out` is left as it was).
// A failed statement answers its failure.
Fetched<bool> LoadCardQuery(Connection& cnn, const QString& cardNo, CardQuery& out);
