#pragma once
// The store list as the windows keep and use it: listing, look-ups, and the store window's
// adds, changes and deletions.
#include "ledger/Stores.h"
#include "core/Fetched.h"
#include "operations/OperationContext.h"

#include <QList>
#include <QStringList>
#include <optional>

// The stores a card can carry, code and name, in display order: for the store picker.
Fetched<QList<QStringList>> StoresToPick(const OperationContext& ctx);
// Every store, code, name and display order, in display order.
Fetched<QList<QStringList>> StoreList(const OperationContext& ctx);
// The store's name, nothing when there is no such store.
Fetched<std::optional<QString>> FindStore(const OperationContext& ctx, const QString& code);
// The operator text for a code a new store cannot take (badly formed or already there), empty
// when it is free.
Fetched<QString> NewStoreCodeProblem(const OperationContext& ctx, const QString& code);

// Adds the store (`adding`) or changes its name and order, and logs what was saved. An empty
// order puts the store at the end of the list. Refused with "無此店代號" when another workstation
// removed the store meanwhile.
Fetched<Outcome> SaveStore(const OperationContext& ctx, const StoreRow& row, const QString& listNo, bool adding);
// Deletes a store no card and no transaction names, and logs it as `logText`. The check and the
// delete run in one transaction, so that no card can slip in between. Refused while the store
// is in use; done, with "刪除完成" or "無此店代號", otherwise.
Fetched<Outcome> RemoveStore(const OperationContext& ctx, const QString& code, const QString& logText);
