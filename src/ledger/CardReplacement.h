#pragma once
// The master rows a re-issue reads: the old card's row and the card that replaces it.
#include "core/Fetched.h"
#include "ledger/CardRows.h"

#include <QString>

class Connection;

// The card's master row, its dates as dates; false when there is none.
Fetched<bool> LoadCardRow(Connection& db, const QString& cardNo, CardRow& rec);
// The number of the card that already replaces this one; empty when none does.
Fetched<QString> ReplacementOf(Connection& db, const QString& oldCardNo);
// Holds the card's row for this transaction (a write of its own values), so that a second
// workstation replacing the same card waits and then sees this one's new row.
Done HoldCardRow(Connection& db, const QString& cardNo);
