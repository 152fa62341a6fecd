#pragma once
// Selling an issued card from stock: the sale window sells card after card until the
// operator stops.
#include "operations/CardOperation.h"
#include "operations/OperationContext.h"

#include <QString>


// Sells the card the operator inserts: checks its good-thru date, master row and the
// blacklist, marks it sold and journals the sale (type "24") with the bill number `refNo`.
CardOutcome SellIssuedCard(const OperationContext& ctx, const QString& refNo);
