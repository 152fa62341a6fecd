#pragma once
// Erasing a card: its master row is marked erased with the reason, a journal row records it,
// and the card is wiped to a blank one. A demagnetised card is erased too.
#include "operations/CardOperation.h"
#include "operations/OperationContext.h"

#include <QString>

// Erases card `cardNo` (the number typed) with the card in the reader. A number the database
// does not hold is refused before a card is asked for.
CardOutcome EraseCard(const OperationContext& ctx, const QString& cardNo, const QString& reason);

// A press the erase window turned down before any card was asked for.
void LogEraseRefused(const QString& text);
