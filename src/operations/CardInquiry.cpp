#include "operations/CardInquiry.h"

Fetched<std::optional<CardQuery>> LookUpCard(const OperationContext& ctx, const QString& cardNo) {
  CardQuery card;
  const Fetched<bool> found = LoadCardQuery(ctx.db, cardNo, card);
  if (!found.ok()) return found.failure;
  return *found ? std::optional<CardQuery>(std::move(card)) : std::nullopt;
}
