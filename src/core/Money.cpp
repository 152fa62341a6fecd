#include "core/Money.h"

#include "core/ErrorReport.h"

#include <QRegularExpression>
#include <limits>

namespace {

constexpr int kPlaces = 4;
constexpr int kMaxDigits = 18;  // keeps every value well inside 64 bits
constexpr std::int64_t kDigitLimit = 1'000'000'000'000'000'000;  // 10^kMaxDigits

// Rounds a non-negative digit string that has `extra` digits beyond the kept ones, half to even.
std::optional<std::int64_t> roundDigits(const QString& digits, qsizetype keep) {
  if (keep > kMaxDigits) return std::nullopt;
  std::int64_t kept = 0;
  for (qsizetype i = 0; i < keep; ++i) kept = kept * 10 + (i < digits.size() ? digits[i].digitValue() : 0);
  if (keep >= digits.size()) return kept;
  const int first = digits[keep].digitValue();
  bool restNonZero = false;
  for (qsizetype i = keep + 1; i < digits.size(); ++i) restNonZero |= digits[i] != QLatin1Char('0');
  if (first > 5 || (first == 5 && (restNonZero || (kept % 2) == 1))) ++kept;
  // Rounding up may carry into a digit more than a value may have: out of range, like the
  // same value written out.
  if (kept >= kDigitLimit) return std::nullopt;
  return kept;
}

}  // namespace

std::optional<Money> Money::parse(const QString& text) {
  static const QRegularExpression re(
      QStringLiteral(R"(^\s*([+-])?\s*(\d*)(?:\.(\d*))?(?:[eE]([+-]?\d{1,3}))?\s*$)"));
  const auto m = re.match(text);
  if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) return std::nullopt;
  // All the digits, and where the decimal point falls after the exponent and four places.
  QString digits = m.captured(2) + m.captured(3);
  qsizetype point = m.captured(2).size() + m.captured(4).toInt() + kPlaces;
  while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')) && point > 1) {
    digits.remove(0, 1);
    --point;
  }
  if (point <= 0) {
    digits = QString(-point, QLatin1Char('0')) + digits;
    point = 0;
  }
  const auto units = point == 0 ? roundDigits(QStringLiteral("0") + digits, 1) : roundDigits(digits, point);
  if (!units) return std::nullopt;
  return fromUnits(m.captured(1) == QLatin1String("-") ? -*units : *units);
}

Money Money::val(const QString& text) { return parse(text).value_or(Money()); }

Money Money::fromVariant(const QVariant& value) {
  if (value.isNull() || !value.isValid()) return {};
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return fromInt(value.toLongLong());
    default:
      // Doubles from a driver go through their shortest text, which is exact for every value
      // the database holds with four places.
      if (value.typeId() == QMetaType::Double) return val(QString::number(value.toDouble(), 'g', 17));
      return val(value.toString());
  }
}

QString Money::toString() const {
  const std::int64_t a = units_ < 0 ? -units_ : units_;
  QString s = QString::number(a / kScale);
  std::int64_t frac = a % kScale;
  if (frac != 0) {
    QString f = QStringLiteral("%1").arg(frac, kPlaces, 10, QLatin1Char('0'));
    while (f.endsWith(QLatin1Char('0'))) f.chop(1);
    s += QLatin1Char('.') + f;
  }
  return units_ < 0 ? QLatin1Char('-') + s : s;
}

Money Money::roundedToWhole() const {
  std::int64_t whole = units_ / kScale;
  const std::int64_t rest = units_ % kScale;
  const std::int64_t half = kScale / 2;
  if (rest > half || (rest == half && whole % 2 != 0)) ++whole;
  if (rest < -half || (rest == -half && whole % 2 != 0)) --whole;
  return fromInt(whole);
}

std::optional<Money> Money::times(Money other) const {
  __extension__ using Wide = __int128;
  const Wide product = static_cast<Wide>(units_) * other.units_;  // eight places
  Wide units = product / Money::kScale;
  const Wide rest = product % Money::kScale;
  const Wide half = Money::kScale / 2;
  if (rest > half || (rest == half && units % 2 != 0)) ++units;
  if (rest < -half || (rest == -half && units % 2 != 0)) --units;
  if (units > std::numeric_limits<std::int64_t>::max() || units < std::numeric_limits<std::int64_t>::min()) {
    return std::nullopt;
  }
  return Money::fromUnits(static_cast<std::int64_t>(units));
}

QString NotAnAmountText(const QString& typed, const QString& notNumber) {
  static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]*[.]?[0-9]+$|^[+-]?[0-9]+[.]$"));
  return number.match(typed.trimmed()).hasMatch() ? QStringLiteral("數字超過可輸入的範圍") : notNumber;
}
