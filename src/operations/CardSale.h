#pragma once
// Selling an issued card from stock: the sale window sells card after card until the
// operator stops.
#include "device/CardImage.h"
#include "operations/OperationContext.h"

#include <QString>
#include <cstdint>

struct SaleOutcome {
  bool ok = false;
  QString message;          // why the card was not sold
  CardRead card;            // the card as read
  bool cancelled = false;   // the operator ended the wait for a card
  bool busy = false;        // another card operation was running
  std::int32_t waitCode = 0;  // the reader's answer to the wait for a card
};

// Sells the card the operator inserts: checks its good-thru date, master row and the
// blacklist, marks it sold and journals the sale (type "24") with the bill number `refNo`.
SaleOutcome SellIssuedCard(const OperationContext& ctx, const QString& refNo);
