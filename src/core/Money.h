#pragma once
// Exact decimal for balances, amounts and points: four decimal places, like the currency
// type the stored numbers come from. Never binary floating point.
#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>

// The operator text for a typed value that Money::parse refused: `notNumber` for text that is
// no number, and "數字超過可輸入的範圍" for a number too large to hold, which is a number all
// the same.
QString NotAnAmountText(const QString& typed, const QString& notNumber);

class Money {
public:
  static constexpr std::int64_t kScale = 10000;

  constexpr Money() = default;
  static constexpr Money fromUnits(std::int64_t units) { Money m; m.units_ = units; return m; }
  static constexpr Money fromInt(std::int64_t whole) { return fromUnits(whole * kScale); }

  // A numeric text: blanks around it, a sign, digits with one decimal point, an exponent.
  // Digits past the fourth decimal place round half to even. Anything else, or a value out
  // of range, answers nothing.
  static std::optional<Money> parse(const QString& text);
  // The value of a text, 0 when it is empty or not numeric.
  static Money val(const QString& text);
  // The value of a database field or other variant (numbers, numeric texts; NULL gives 0).
  static Money fromVariant(const QVariant& value);

  std::int64_t units() const { return units_; }
  // Plain decimal text without trailing zeros: "100", "12.5", "-3".
  QString toString() const;
  // The nearest whole number, a half going to the even neighbour.
  Money roundedToWhole() const;
  // The whole part, the fraction dropped (towards zero).
  Money truncatedToWhole() const { return fromUnits(units_ / kScale * kScale); }
  bool isWhole() const { return units_ % kScale == 0; }

  friend constexpr Money operator+(Money a, Money b) { return fromUnits(a.units_ + b.units_); }
  friend constexpr Money operator-(Money a, Money b) { return fromUnits(a.units_ - b.units_); }
  // The exact product, rounded to four places, a half going to the even neighbour; nothing
  // when it does not fit.
  std::optional<Money> times(Money other) const;
  constexpr Money operator-() const { return fromUnits(-units_); }
  Money& operator+=(Money o) { units_ += o.units_; return *this; }
  Money& operator-=(Money o) { units_ -= o.units_; return *this; }
  friend constexpr auto operator<=>(Money a, Money b) = default;

private:
  std::int64_t units_ = 0;
};
