#pragma once
// What every operation is given and what it gives back. An operation takes its inputs and a
// context; it answers an outcome that the window shows. No operation touches a widget: it asks
// the operator only through the operator dialogs (the card wait, a yes or no).
#include "core/Settings.h"
#include "device/CardImage.h"

#include <QString>
#include <optional>

class Connection;

// Who and where an operation runs for.
struct OperationContext {
  Connection& db;         // the connection its rows are written through
  QString operatorId;     // UserID of the rows it writes
  QString workstation;    // POSID of the rows it writes
  QString storeId;        // this installation's store
  const Settings& settings = TheSettings();  // the card key, batch and message file it works with

  // The main connection and the operator, workstation and store of this start.
  static OperationContext Current();
};

// What the operator is told when the database failed before anything was written (the error
// itself is in the error log).
inline const QString kDatabaseErrorText = QStringLiteral("資料庫錯誤");

// What an operation did.
struct Outcome {
  bool ok = false;
  QString message;                // what to tell the operator; may be empty on success
  std::optional<CardImage> card;  // the card's values afterwards, when a card was written

  static Outcome Done(QString message = {}) { return {true, std::move(message), std::nullopt}; }
  static Outcome Refused(QString message) { return {false, std::move(message), std::nullopt}; }
};
