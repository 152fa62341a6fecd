#include "core/ErrorReport.h"
#include "core/Money.h"

#include <gtest/gtest.h>

TEST(MoneyTest, ParsesNumericTextExactly) {
  EXPECT_EQ(Money::parse(QStringLiteral("100"))->toString(), QStringLiteral("100"));
  EXPECT_EQ(Money::parse(QStringLiteral("  +12.50 "))->toString(), QStringLiteral("12.5"));
  EXPECT_EQ(Money::parse(QStringLiteral("-0.1"))->units(), -1000);
  EXPECT_EQ(Money::parse(QStringLiteral("1e2"))->toString(), QStringLiteral("100"));
  EXPECT_EQ(Money::parse(QStringLiteral("1.5E-1"))->toString(), QStringLiteral("0.15"));
  EXPECT_EQ(Money::parse(QStringLiteral(".5"))->toString(), QStringLiteral("0.5"));
  // A fifth decimal place rounds half to even.
  EXPECT_EQ(Money::parse(QStringLiteral("0.00005"))->units(), 0);
  EXPECT_EQ(Money::parse(QStringLiteral("0.00015"))->units(), 2);
  EXPECT_EQ(Money::parse(QStringLiteral("0.000151"))->units(), 2);
  for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "--1", "12a", "1e999", "99999999999999999999"}) {
    EXPECT_FALSE(Money::parse(QString::fromLatin1(bad)).has_value()) << bad;
  }
  EXPECT_EQ(Money::val(QStringLiteral("abc")), Money());
  // The largest value; rounding past it is out of range, like the value written out.
  EXPECT_EQ(Money::parse(QStringLiteral("99999999999999.99994"))->toString(), QStringLiteral("99999999999999.9999"));
  EXPECT_FALSE(Money::parse(QStringLiteral("99999999999999.99995")).has_value());
  EXPECT_FALSE(Money::parse(QStringLiteral("100000000000000")).has_value());
}

TEST(MoneyTest, ArithmeticStaysExact) {
  Money sum;
  for (int i = 0; i < 10; ++i) sum += *Money::parse(QStringLiteral("0.1"));
  EXPECT_EQ(sum, Money::fromInt(1));
  EXPECT_EQ((Money::fromInt(350) - *Money::parse(QStringLiteral("0.25"))).toString(), QStringLiteral("349.75"));
  EXPECT_LT(Money::fromInt(-1), Money());
}

TEST(MoneyTest, RoundsToWholeHalfToEven) {
  EXPECT_EQ(Money::parse(QStringLiteral("2.5"))->roundedToWhole(), Money::fromInt(2));
  EXPECT_EQ(Money::parse(QStringLiteral("3.5"))->roundedToWhole(), Money::fromInt(4));
  EXPECT_EQ(Money::parse(QStringLiteral("3.4999"))->roundedToWhole(), Money::fromInt(3));
  EXPECT_EQ(Money::parse(QStringLiteral("-2.5"))->roundedToWhole(), Money::fromInt(-2));
  EXPECT_EQ(Money::parse(QStringLiteral("-2.51"))->roundedToWhole(), Money::fromInt(-3));
}

TEST(MoneyTest, MultipliesExactlyAndRoundsHalfToEven) {
  const auto m = [](const char* text) { return Money::val(QString::fromLatin1(text)); };
  // The point rate: points per unit amount.
  EXPECT_EQ(*m("1234").times(m("0.01")), m("12.34"));
  EXPECT_EQ(m("1234").times(m("0.01"))->truncatedToWhole(), m("12"));
  EXPECT_EQ(m("-1234").times(m("0.01"))->truncatedToWhole(), m("-12"));
  EXPECT_EQ(*m("99999999").times(m("0.0001")), m("9999.9999"));
  // Eight places in the exact product, four kept: a half goes to the even neighbour.
  EXPECT_EQ(*m("0.0001").times(m("0.5")), m("0"));
  EXPECT_EQ(*m("0.0003").times(m("0.5")), m("0.0002"));
  EXPECT_EQ(*m("-0.0003").times(m("0.5")), m("-0.0002"));
  EXPECT_EQ(*m("0.0003").times(m("0.3333")), m("0.0001"));
  // Far past the 64-bit intermediate, still exact.
  EXPECT_EQ(*m("900000000").times(m("1000")), m("900000000000"));
  // A product that does not fit is none, never a wrapped value.
  EXPECT_FALSE(m("90000000000000").times(m("90000000000000")));
}

TEST(MoneyTest, ReadsDatabaseValues) {
  EXPECT_EQ(Money::fromVariant(QVariant(QStringLiteral("1500.2500"))).toString(), QStringLiteral("1500.25"));
  EXPECT_EQ(Money::fromVariant(QVariant(qlonglong(42))), Money::fromInt(42));
  EXPECT_EQ(Money::fromVariant(QVariant(0.1)).toString(), QStringLiteral("0.1"));
  EXPECT_EQ(Money::fromVariant(QVariant()), Money());
}
