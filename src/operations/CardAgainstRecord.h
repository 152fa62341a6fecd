#pragma once
// A card in the reader compared with its master row.
#include "device/CardImage.h"
#include "ledger/CardQuery.h"

#include <QString>

// True when the card read from the reader differs from its master row in good-thru date,
// balance, points, batch or issuing store. Values are compared as values: dates as days,
// amounts as numbers (100 equals 100.0); a value the card does not hold as one differs.
bool CardDiffersFromRecord(const CardImage& card, const CardQuery& db);
// The message that reports the difference, with the card's values.
QString CardDifferenceText(const CardImage& card);
