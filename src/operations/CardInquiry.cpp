#include "operations/CardInquiry.h"

Fetched<std::optional<CardQuery>> LookUpCard(const OperationContext& ctx, const QString& cardNo) {
  return Attempt([&]() -> std::optional<CardQuery> {
    CardQuery card;
    if (!LoadCardQuery(ctx.db, cardNo, card)) return std::nullopt;
    return card;
  });
}
