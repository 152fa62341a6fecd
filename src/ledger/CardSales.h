#pragma once
// Selling a card: the refusals a card's master row gives, and marking it sold.
#include "core/Fetched.h"
#include <QDate>
#include <QString>
#include <optional>

class Connection;

// Why the card may not be sold, from its master row: "資料庫中無此卡號", "此卡已售出" (sold or
// re-issued), "此卡已被清除" or "此張卡片已列入黑名單中". Empty when it may be sold.
Fetched<QString> SaleRefusal(Connection& db, const QString& cardNo);

// Marks the card sold by `operatorId` (its first date is now); a sale at the counter sets the
// card's last date too. False when the database holds no such card.
Fetched<bool> MarkCardSold(Connection& db, const QString& cardNo, const QString& operatorId,
                  const std::optional<QDate>& lastDate = std::nullopt);
