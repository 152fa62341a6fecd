#pragma once
// The store list (table Store): code rules, look-ups and the writes of the store window.
#include "core/Fetched.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Connection;

struct StoreRow {
  QString id;
  QString name;
  int listNo = 0;
};

// The operator text for a store code that cannot be used, empty when the code is fine. A code
// is at most three characters and must fit the three-byte store field of the card stripe.
QString StoreCodeProblem(const QString& code);
// The operator text for a display-order text that is not a whole number (empty is fine:
// the store then goes to the end of the list).
QString ListNoProblem(const QString& text);

// The stores a card can carry (codes of at most three characters), in display order: code and
// name, for the store picker.
Fetched<QList<QStringList>> StorePickRows(Connection& cnn);
// Every store in display order: code, name and display order as shown (empty when there is none).
Fetched<QList<QStringList>> StoreListRows(Connection& cnn);

// The functions below answer the failure of their statement.
Fetched<bool> StoreExists(Connection& cnn, const QString& code, QString* name = nullptr);
// True when a card or a transaction names the store.
Fetched<bool> StoreInUse(Connection& cnn, const QString& code);
// The display order after the last store.
Fetched<int> NextListNo(Connection& cnn);
Done InsertStore(Connection& cnn, const StoreRow& row);
// The number of rows changed: 0 when another workstation removed the store meanwhile.
Fetched<int> UpdateStore(Connection& cnn, const StoreRow& row);
Fetched<int> DeleteStore(Connection& cnn, const QString& code);
