#pragma once
// A code field's picker rows from an operation that fetches them: a failed read is reported
// under "PickerRows" and lists nothing.
#include "core/ErrorReport.h"
#include "operations/OperationContext.h"
#include "ui/CodePicker.h"

template <typename Fetch>
CodeRowSource PickerRows(Fetch fetch) {
  return [fetch] {
    const auto rows = fetch(OperationContext::Current());
    if (rows) return *rows;
    ReportError(ErrorLabel(), rows.failure.number, rows.failure.description);
    return QList<QStringList>();
  };
}
