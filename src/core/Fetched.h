#pragma once
// What a call below the windows answers when it can fail: its value, or the error that stopped
// it, as the error report shows it. The window decides how to tell the operator.
#include "core/ErrorReport.h"

#include <QString>
#include <optional>
#include <type_traits>
#include <utility>

struct Failure {
  QString number;       // what the report shows after "代碼: "
  QString description;
};

template <typename T>
struct [[nodiscard]] Fetched {
  std::optional<T> value;
  Failure failure;  // why there is no value

  Fetched() = default;
  Fetched(T v) : value(std::move(v)) {}           // NOLINT: a value converts, so `return value;` reads plainly
  Fetched(Failure f) : failure(std::move(f)) {}   // NOLINT: so does a failure
  // The value of another fetch that failed: its failure.
  template <typename U>
  static Fetched failedAs(const Fetched<U>& other) { return Fetched(other.failure); }

  bool ok() const { return value.has_value(); }
  // A fetched truth is asked with ok() and *: "if (found)" would read as the truth itself.
  explicit operator bool() const
    requires(!std::is_same_v<T, bool>)
  {
    return ok();
  }
  T& operator*() & { return *value; }
  const T& operator*() const& { return *value; }
  T* operator->() { return &*value; }
  const T* operator->() const { return &*value; }
  // The value, or `fallback` when the call failed (for a caller that only shows what it got).
  T valueOr(T fallback = T()) const& { return value ? *value : std::move(fallback); }
  T valueOr(T fallback = T()) && { return value ? std::move(*value) : std::move(fallback); }
};

// A step that answers nothing but whether it worked.
struct [[nodiscard]] Done {
  std::optional<Failure> failed;

  Done() = default;
  Done(Failure f) : failed(std::move(f)) {}  // NOLINT: `return failure;` reads plainly
  template <typename T>
  static Done of(const Fetched<T>& step) { return step.ok() ? Done() : Done(step.failure); }

  explicit operator bool() const { return !failed; }
  const Failure& failure() const { return *failed; }
};

// The error report of a failure: written to the error log, or kept for the window to show.
inline QString LogError(const QString& label, const Failure& f) { return LogError(label, f.number, f.description); }
inline QString LogErrorToShow(const QString& label, const Failure& f) {
  return LogErrorToShow(label, f.number, f.description);
}
