#pragma once
// Putting a card number on the blacklist: the number is cancelled for good at every store.
#include "operations/OperationContext.h"

#include <QString>

// The refusal of a number that is blacklisted already, and of one the database does not hold.
extern const QString kAlreadyBlacklisted;
extern const QString kNoSuchCardNumber;

// Blacklists card `cardNo` with the reason `remark`: its master row, the blacklist and a
// journal row in one transaction, and the application-log row. The outcome's message says why
// it failed (kAlreadyBlacklisted, kNoSuchCardNumber, or what the database turned down).
Outcome BlacklistCard(const OperationContext& ctx, const QString& cardNo, const QString& remark);

// True when a master row's status is the blacklisted one.
bool IsBlacklistedStatus(const QString& status);

// A press the blacklisting window turned down before the database was asked.
void LogBlacklistRefused(const QString& text);
