#pragma once
// What a call below the windows answers when it can fail: its value, or the error that stopped
// it, as the error report shows it. The window decides how to tell the operator.
#include "core/ErrorReport.h"

#include <QString>
#include <optional>
#include <utility>

struct Failure {
  QString number;       // what the report shows after "代碼: "
  QString description;
};

template <typename T>
struct Fetched {
  std::optional<T> value;
  Failure failure;  // why there is no value

  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  const T* operator->() const { return &*value; }
  // The value, or the failure raised again for a caller whose own trap reports it. A fetch
  // used at once hands its value over, so that nothing refers into the gone result.
  const T& orRaise() const& {
    if (!value) throw TolvaError(failure.number, failure.description);
    return *value;
  }
  T orRaise() && {
    if (!value) throw TolvaError(failure.number, failure.description);
    return std::move(*value);
  }
};

// Runs `work` and keeps what it answers, or what it raised.
template <typename Work>
auto Attempt(Work&& work) -> Fetched<decltype(work())> {
  Fetched<decltype(work())> out;
  try {
    out.value.emplace(work());
  } catch (...) {
    CurrentErrorInfo(out.failure.number, out.failure.description);
  }
  return out;
}
