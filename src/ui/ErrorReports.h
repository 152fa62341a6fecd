#pragma once
// The layers below the windows record what broke in the error log and answer failure; the
// window that called them shows those reports, before it tells the outcome.
#include "core/ErrorReport.h"
#include "core/Fetched.h"

#include <type_traits>

// Shows the report of a call below the windows that failed, under the window's label.
inline void ReportError(const QString& label, const Failure& failure) {
  ReportError(label, failure.number, failure.description);
}

// Shows the reports kept for showing since `mark` (a ReportsToShowCount()).
void ShowErrorReportsSince(quint64 mark);

// Runs `call` (an operation) and shows the reports it recorded, also when it throws.
template <typename Call>
auto WithErrorReports(Call&& call) -> decltype(call()) {
  const quint64 mark = ReportsToShowCount();
  try {
    if constexpr (std::is_void_v<decltype(call())>) {
      call();
      ShowErrorReportsSince(mark);
    } else {
      auto out = call();
      ShowErrorReportsSince(mark);
      return out;
    }
  } catch (...) {
    ShowErrorReportsSince(mark);
    throw;
  }
}
