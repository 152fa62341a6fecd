#pragma once
// The store list (table Store): code rules, look-ups and the writes of the store window.
#include <QString>
#include <optional>

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

// The picker over the stores a card can carry, in display order.
QString StorePickerSql();

// Statement errors of the functions below raise to the caller's trap.
bool StoreExists(const QString& code, QString* name = nullptr);
// True when a card or a transaction names the store.
bool StoreInUse(const QString& code);
// The display order after the last store.
int NextListNo();
void InsertStore(const StoreRow& row);
// The number of rows changed: 0 when another workstation removed the store meanwhile.
int UpdateStore(const StoreRow& row);
int DeleteStore(const QString& code);
