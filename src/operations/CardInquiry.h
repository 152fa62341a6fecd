#pragma once
// One card as the database holds it, for the windows that show a card's record and history.
#include "ledger/CardQuery.h"
#include "core/Fetched.h"
#include "operations/OperationContext.h"

#include <optional>

// The card's master row and history; nothing when there is no such card.
Fetched<std::optional<CardQuery>> LookUpCard(const OperationContext& ctx, const QString& cardNo);
