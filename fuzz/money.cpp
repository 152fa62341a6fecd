// The money parser: any text either parses or answers nothing; what parses prints back to a
// text of the same value, keeps its sign, and agrees with plain decimal arithmetic.
#include "FuzzSupport.h"

#include "core/Money.h"

#include <QRegularExpression>

namespace {

// The value of a plain decimal ("-12.05") in units, by digit arithmetic of its own.
std::optional<std::int64_t> plainUnits(const QString& text) {
  static const QRegularExpression plain(QStringLiteral("^(-?)([0-9]{1,14})(?:\\.([0-9]{1,4}))?$"));
  const auto m = plain.match(text);
  if (!m.hasMatch()) return std::nullopt;
  const QString frac = m.captured(3).leftJustified(4, QLatin1Char('0'));
  const std::int64_t units = m.captured(2).toLongLong() * Money::kScale + frac.toLongLong();
  return m.captured(1).isEmpty() ? units : -units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = QString::fromUtf8(fuzz::bytes(data, size));
  const std::optional<Money> m = Money::parse(text);
  FUZZ_CHECK(Money::val(text) == m.value_or(Money()));
  if (!m) return 0;

  const QString printed = m->toString();
  const std::optional<Money> again = Money::parse(printed);
  FUZZ_CHECK(again && *again == *m);
  FUZZ_CHECK(printed == again->toString());

  // No minus sign, no negative value; a leading minus, no positive one.
  if (!text.contains(QLatin1Char('-'))) FUZZ_CHECK(m->units() >= 0);
  if (text.trimmed().startsWith(QLatin1Char('-'))) FUZZ_CHECK(m->units() <= 0);

  if (const auto units = plainUnits(text.trimmed())) FUZZ_CHECK(m->units() == *units);

  // Rounding to whole keeps a value within half a unit.
  const std::int64_t diff = m->roundedToWhole().units() - m->units();
  FUZZ_CHECK(diff <= Money::kScale / 2 && diff >= -Money::kScale / 2);
  return 0;
}
