#include "core/Dates.h"
#include "core/Settings.h"
#include "support/TestEnv.h"

class DatesTest : public AppTest {};

TEST_F(DatesTest, DisplayConventions) {
  const QDate d(2026, 3, 5);
  EXPECT_EQ(DateForDisplay(d, QStringLiteral("CCMMDD")), QStringLiteral("1150305"));
  EXPECT_EQ(DateForDisplay(d, QStringLiteral("CC/MM/DD")), QStringLiteral("115/03/05"));
  EXPECT_EQ(DateForDisplay(d, QStringLiteral("YYYY/MM/DD")), QStringLiteral("2026/03/05"));
  EXPECT_EQ(DateForDisplay(d, QStringLiteral("YY/MM/DD")), QStringLiteral("26/03/05"));
  EXPECT_EQ(DateForDisplay(d, QStringLiteral("YYYY/MM")), QStringLiteral("2026/03"));
  EXPECT_EQ(DateForDisplay(d, QStringLiteral("YYMMDD")), QStringLiteral("260305"));
  // The display separator applies, the time is dropped, a database text counts as a date.
  EditSettings().dateSeparator = QStringLiteral("-");
  EXPECT_EQ(DateForDisplay(QStringLiteral("2026/03/05 14:07:09")), QStringLiteral("2026-03-05"));
  EXPECT_EQ(DateForDisplay(QStringLiteral("2026-03-05T14:07:09")), QStringLiteral("2026-03-05"));
  // A year before 2011 still shows two digits of the ROC year.
  EXPECT_EQ(DateForDisplay(QDate(1915, 1, 2), QStringLiteral("CC/MM/DD")), QStringLiteral("04-01-02"));
  EXPECT_EQ(DateForDisplay(QStringLiteral("hello")), QString());
  EXPECT_EQ(DateForDisplay(QVariant()), QString());
}

TEST_F(DatesTest, RocCalendarInput) {
  for (const char* calendar : {"CC/MM/DD", "CCMMDD"}) {
    EditSettings().calendar = QString::fromLatin1(calendar);
    EXPECT_EQ(DateForStorage(QStringLiteral("99/12/31")), QStringLiteral("2010/12/31"));
    // Years from 2011 on have three digits, typed with or without separators.
    EXPECT_EQ(DateForStorage(QStringLiteral("115/03/05")), QStringLiteral("2026/03/05"));
    EXPECT_EQ(DateWithSeparators(QStringLiteral("1150305")), QStringLiteral("115/03/05"));
    EXPECT_EQ(DateForStorage(DateWithSeparators(QStringLiteral("990305"))), QStringLiteral("2010/03/05"));
    EXPECT_EQ(DateForStorage(QStringLiteral("99/02/30")), QString());   // no such day
    EXPECT_EQ(DateForStorage(QStringLiteral("2026/03/05")), QString());  // not a ROC year
    EXPECT_EQ(DateForStorage(QStringLiteral("115/3/5")), QString());
  }
}

TEST_F(DatesTest, TwoDigitYearInput) {
  EditSettings().calendar = QStringLiteral("YY/MM/DD");
  const QString typed = DateWithSeparators(QStringLiteral("260305"));
  EXPECT_EQ(typed, QStringLiteral("26/03/05"));
  EXPECT_EQ(DateForStorage(typed), QStringLiteral("2026/03/05"));
  EXPECT_EQ(DateForStorage(QStringLiteral("26/13/05")), QString());
}

TEST_F(DatesTest, FourDigitYearInput) {
  const QString typed = DateWithSeparators(QStringLiteral("20260305"));
  EXPECT_EQ(typed, QStringLiteral("2026/03/05"));
  EXPECT_EQ(DateForStorage(typed), QStringLiteral("2026/03/05"));
  // Eight characters with the separator: kept as typed, then refused for its length.
  EXPECT_EQ(DateWithSeparators(QStringLiteral("2026/3/5")), QStringLiteral("2026/3/5"));
  EXPECT_EQ(DateForStorage(QStringLiteral("2026/3/5")), QString());
  EXPECT_EQ(DateForStorage(QStringLiteral("2026/02/29")), QString());
  EXPECT_EQ(DateForStorage(QStringLiteral("2028/02/29")), QStringLiteral("2028/02/29"));
}

TEST_F(DatesTest, SevenDigitsHaveNoSeparatedForm) {
  EXPECT_EQ(DateWithSeparators(QStringLiteral("2026035")), QString());
  EXPECT_EQ(DateForStorage(DateWithSeparators(QStringLiteral("2026035"))), QString());
  EXPECT_EQ(DateWithSeparators(QStringLiteral("12345")), QString());
}

TEST_F(DatesTest, StoredTextsAreReadInEveryFormTheDatabasesWrite) {
  const std::pair<const char*, const char*> read[] = {
      {"2026/03/05", "2026-03-05T00:00:00"},        {" 2026-3-5 ", "2026-03-05T00:00:00"},
      {"2026.03/05 14:07", "2026-03-05T14:07:00"},  {"2026-03-05 14:07:09", "2026-03-05T14:07:09"},
      {"2026-03-05T4:7:9.123", "2026-03-05T04:07:09"}, {"2026-03-05 14:07:09.5\r\n", "2026-03-05T14:07:09"},
  };
  for (const auto& [text, expected] : read) {
    const std::optional<QDateTime> dt = ToDateTime(QString::fromLatin1(text));
    ASSERT_TRUE(dt) << text;
    EXPECT_EQ(dt->toString(Qt::ISODate), QString::fromLatin1(expected)) << text;
    const std::optional<DayAndTime> parts = ToDayAndTime(QString::fromLatin1(text));
    ASSERT_TRUE(parts) << text;
    EXPECT_EQ(QDateTime(parts->day, parts->time), *dt) << text;
    EXPECT_EQ(ToDay(QString::fromLatin1(text)), dt->date()) << text;
  }
  for (const char* text : {"", "26/03/05", "20260/03/05", "2026/13/05", "2026/02/30", "2026/03/05 25:00",
                           "2026/03/05 14:07:", "2026/03/05 14:07:09.", "2026/03/05x", "2026/003/05", "2026/03/05 14"}) {
    EXPECT_FALSE(ToDateTime(QString::fromLatin1(text))) << text;
    EXPECT_FALSE(ToDayAndTime(QString::fromLatin1(text))) << text;
    EXPECT_FALSE(ToDay(QString::fromLatin1(text)).isValid()) << text;
  }
  EXPECT_EQ(ToDay(QDate(2026, 3, 5)), QDate(2026, 3, 5));
  const std::optional<DayAndTime> fromValue = ToDayAndTime(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
  ASSERT_TRUE(fromValue);
  EXPECT_EQ(fromValue->time, QTime(14, 7, 9));
}
