#pragma once
// A card's status in its master row: erasing it and putting it on the blacklist.
#include "core/Fetched.h"
#include <QString>

class Connection;

// True when the master table holds the card.
Fetched<bool> CardExists(Connection& db, const QString& cardNo);

// Marks the card erased, with the reason in its remark. False when there is no such card.
Fetched<bool> MarkCardErased(Connection& db, const QString& cardNo, const QString& reason);

// Marks the card blacklisted, with the reason in its remark, unless it is blacklisted already
// (a card blacklisted at another workstation is not listed twice). False when nothing changed.
Fetched<bool> MarkCardBlacklisted(Connection& db, const QString& cardNo, const QString& reason);
