#pragma once
// The store transaction file: its name ("DD" + YYYYMMDD + "_" + store name + "_TL.TXT") and its
// table-block content. Nothing here trusts the file: every value is parsed into a typed value
// that the import binds as a parameter, and anything that is not one of the forms the stores
// write fails the whole file.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct StoreFileName {
  QDate txnDate;
  QString storeName;
};
// The date and store name a file name carries; nothing when the name does not have the form.
std::optional<StoreFileName> ParseStoreFileName(const QString& fileName);
// The listing pattern of the import directory.
inline const QString kStoreFilePattern = QStringLiteral("DD*_TL.TXT");

// One parsed value: empty → Null, 123 / -1.5 → Number (its text), 'it''s' → Text, #2006/01/15#
// → Date.
struct StoreValue {
  enum class Kind { Null, Number, Text, Date };
  Kind kind = Kind::Null;
  QString text;
  QDateTime date;
};
// A value as written in a data line; nothing when it has none of the forms.
std::optional<StoreValue> ParseStoreValue(const QString& raw);

// The rows of one table block; the columns are the journal's own names, in file order.
struct StoreBlock {
  QStringList columns;
  QList<QList<StoreValue>> rows;
};

struct StoreFileContent {
  QList<StoreBlock> blocks;
  int rowCount() const;
};

// Parses the content of a store file for the store `storeID` and the day `fileDate`: the
// first value of each row becomes the store code, every row's TxnDate must fall on the file's
// day. On a fault answers nothing and puts the reason, with its line number, in `error`.
std::optional<StoreFileContent> ParseStoreFile(const QByteArray& bytes, const QDate& fileDate,
                                               const QString& storeID, QString& error);

// The journal columns a store file may fill, and the table its rows go to.
inline const QString kStoreFileTable = QStringLiteral("TolvaLog");
