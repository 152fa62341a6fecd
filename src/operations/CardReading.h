#pragma once
// Reading the card in the reader without changing it: the card is read, deciphered and
// ejected; nothing is written to the card, the database or the application log.
#include "device/CardImage.h"
#include "ledger/CardQuery.h"
#include "core/Fetched.h"
#include "operations/OperationContext.h"

#include <QString>
#include <optional>

struct CardReadOutcome {
  bool ok = false;
  QString message;  // why the card could not be read (a cancelled wait included)
  CardImage card;   // the card as read, card and store numbers with their trailing blanks
};

// Reads the card the operator inserts; a card whose stripe holds no card record is refused.
CardReadOutcome ReadCardInReader();

// The card in the reader looked up in the database and compared with its master row.
struct CardCheckOutcome {
  enum class Result {
    Matches,       // the card agrees with its master row
    Differs,       // it does not: `message` tells the card's values
    NoCardKey,     // refused before the reader was opened
    NotRead,       // the card could not be read
    NotFound,      // the database holds no such number
    LookUpFailed,  // the database look-up failed: `failure` says why (not reported yet)
  };
  Result result = Result::NotRead;
  QString message;                  // what the operator is told (Differs: the card's values)
  CardImage card;
  std::optional<CardQuery> record;  // the master row and history (Matches and Differs)
  Failure failure;
};

CardCheckOutcome ReadCardAgainstRecord(const OperationContext& ctx);
