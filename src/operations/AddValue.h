#pragma once
// The add-value window's top-up: adds a whole amount to the card in the reader, renews its
// good-thru date and prints the card message under the values. The database change is
// committed only once the card carries the new values.
#include "core/Money.h"
#include "device/CardImage.h"
#include "operations/OperationContext.h"

#include <QString>
#include <functional>
#include <optional>

// The amount typed, as a number above 0 and whole; otherwise nothing, with `msg` saying why.
std::optional<Money> CheckAddAmount(const QString& text, QString& msg);

struct AddValueOutcome {
  enum class Refusal { None, NoCardKey, NoAmount, BadAmount, BadParameter };
  bool ok = false;
  QString message;
  Refusal refusal = Refusal::None;  // turned down before a card was asked for, and why
  CardRead card;                    // the card as read
  std::optional<CardImage> written; // its values afterwards
  bool cancelled = false;           // the operator ended the wait for a card
};

// `onCardRead` is told the card's number, good-thru date, balance and the balance after the
// top-up as soon as the card is read, before it is checked.
using ShowCardRead = std::function<void(const CardImage& card, const Money& newBalance)>;

AddValueOutcome AddValue(const OperationContext& ctx, const QString& amountText, const QString& faceText,
                         const ShowCardRead& onCardRead);
