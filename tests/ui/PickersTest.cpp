#include "core/Clock.h"
#include "support/Sql.h"
#include "core/ClockSeam.h"
#include "core/Dates.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "db/Database.h"
#include "ui/DatePicker.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "ui/CodePicker.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

namespace {
void pressLater(QWidget* target, int key) {
  QTimer::singleShot(50, target, [target, key] {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  });
}
const QList<QStringList> kStores = {{QStringLiteral("002"), QStringLiteral("台中店")},
                                     {QStringLiteral("001"), QStringLiteral("台北店")}};
}  // namespace

class CodePickerTest : public AppTest {
protected:
  CodePicker picker;
  QLineEdit code;
  QLineEdit name;
};

TEST_F(CodePickerTest, EnterCopiesTheCurrentRowIntoBothFields) {
  pressLater(picker.fgCode(), Qt::Key_Return);
  ASSERT_TRUE(picker.pick(kStores, &code, &name, QStringLiteral("店代號"), QStringLiteral("店名")));
  EXPECT_EQ(code.text(), QStringLiteral("002"));  // the first row
  EXPECT_EQ(name.text(), QStringLiteral("台中店"));
  EXPECT_EQ(picker.fgCode()->horizontalHeaderItem(0)->text(), QStringLiteral("店代號"));
  EXPECT_EQ(picker.fgCode()->horizontalHeaderItem(1)->text(), QStringLiteral("店名"));
  EXPECT_FALSE(picker.isVisible());
}

TEST_F(CodePickerTest, AClickChoosesItsRowAndEscChoosesNothing) {
  QTimer::singleShot(50, &picker, [this] { picker.chooseClickedRow(1); });
  ASSERT_TRUE(picker.pick(kStores, &code));
  EXPECT_EQ(code.text(), QStringLiteral("001"));
  EXPECT_EQ(picker.chosenCode(), QStringLiteral("001"));

  code.setText(QStringLiteral("keep"));
  pressLater(picker.fgCode(), Qt::Key_Escape);
  ASSERT_TRUE(picker.pick(kStores, &code, &name));
  EXPECT_EQ(code.text(), QStringLiteral("keep"));
  EXPECT_TRUE(picker.chosenCode().isEmpty());
  // The default headings come back for the next caller.
  EXPECT_EQ(picker.fgCode()->horizontalHeaderItem(0)->text(), QStringLiteral("代碼"));
}

TEST_F(CodePickerTest, NoRowsShowNothing) {
  code.setText(QStringLiteral("keep"));
  EXPECT_FALSE(picker.pick({}, &code));
  EXPECT_EQ(code.text(), QStringLiteral("keep"));
  EXPECT_TRUE(dialogs_->shown.empty());
}


class DatePickerTest : public AppTest {};

TEST_F(DatePickerTest, MonthLayoutStartsOnSunday) {
  DatePicker p;
  p.showMonth(QDate(2026, 3, 5));  // 1 March 2026 is a Sunday
  EXPECT_EQ(p.lblDate()->text(), QStringLiteral("2026/03/05"));
  EXPECT_EQ(p.lblMonth()->text(), QStringLiteral("2026年 3月"));
  EXPECT_EQ(p.fgCal()->horizontalHeaderItem(0)->text(), QStringLiteral("週日"));
  EXPECT_EQ(p.fgCal()->rowCount(), 5);
  EXPECT_EQ(p.fgCal()->item(0, 0)->text(), QStringLiteral("1"));
  EXPECT_EQ(p.fgCal()->item(4, 2)->text(), QStringLiteral("31"));
  p.showMonth(QDate(2026, 4, 1));  // a Wednesday
  EXPECT_EQ(p.fgCal()->item(0, 0), nullptr);
  EXPECT_EQ(p.fgCal()->item(0, 3)->text(), QStringLiteral("1"));
}

TEST_F(DatePickerTest, StepsByCalendarMonthsKeepingTheDayWhereItExists) {
  DatePicker p;
  p.showMonth(QDate(2026, 1, 31));
  p.showNextMonth();
  EXPECT_EQ(p.lblDate()->text(), QStringLiteral("2026/02/28"));
  p.showPreviousMonth();
  EXPECT_EQ(p.lblDate()->text(), QStringLiteral("2026/01/28"));
}

TEST_F(DatePickerTest, ChoosingADayAndClosingWithout) {
  SetNowForTest(QDateTime(QDate(2026, 7, 14), QTime(9, 0)));
  DatePicker p;
  QTimer::singleShot(50, &p, [&p] {
    p.chooseDay(0, 0);  // an empty cell before 1 May 2026 (a Friday): nothing happens
    p.chooseDay(1, 6);  // Saturday 9 May
  });
  QDate chosen;
  ASSERT_TRUE(p.pick(QStringLiteral("2026/05/20"), chosen));
  EXPECT_EQ(chosen, QDate(2026, 5, 9));

  // A value that is not a date shows today's month; closing without a choice answers false.
  QTimer::singleShot(50, &p, [&p] { p.reject(); });
  EXPECT_FALSE(p.pick(QStringLiteral("not a date"), chosen));
  EXPECT_EQ(p.lblMonth()->text(), QStringLiteral("2026年 7月"));
  // Without an initial value the month last shown stays.
  p.showNextMonth();
  QTimer::singleShot(50, &p, [&p] { p.reject(); });
  EXPECT_FALSE(p.pick(QVariant(), chosen));
  EXPECT_EQ(p.lblMonth()->text(), QStringLiteral("2026年 8月"));
}

// A day chosen in the picker, under every calendar the program offers, is accepted by its field
// and reaches the database as the same day.
class DateFieldRoundTripTest : public DbTest {};

TEST_P(DateFieldRoundTripTest, PickedDayIsStoredAsTheSameDay) {
  Exec(gCnn(), QStringLiteral("CREATE TABLE Picked (Cal VARCHAR(40), D ") +
                 (isPostgres() ? QStringLiteral("timestamp") : QStringLiteral("TEXT")) + QStringLiteral(")"));
  DatePicker& picker = TheDatePicker();
  for (const char* calendar : {"YYYY/MM/DD", "CC/MM/DD", "YY/MM/DD", "CCMMDD", "YYMMDD", "YYYY/MM"}) {
    for (const QDate day : {QDate(2026, 3, 5), QDate(1999, 12, 31)}) {
      EditSettings().calendar = QString::fromLatin1(calendar);
      const QString label = TheSettings().calendar + QLatin1Char(' ') + day.toString(Qt::ISODate);
      QWidget form;
      auto* field = new QLineEdit(&form);
      auto* panel = new StatusPanel(&form);
      InstallDateField(field, panel);
      QTimer::singleShot(10, &picker, [&picker, day] {
        picker.showMonth(day);
        for (int r = 0; r < picker.fgCal()->rowCount(); ++r) {
          for (int c = 0; c < 7; ++c) {
            const QTableWidgetItem* cell = picker.fgCal()->item(r, c);
            if (cell && cell->text() == QString::number(day.day())) return picker.chooseDay(r, c);
          }
        }
      });
      FieldBehaviour::of(field)->openPicker();
      EXPECT_TRUE(FieldBehaviour::of(field)->validate()) << label.toStdString();
      EXPECT_TRUE(panel->caption().isEmpty()) << label.toStdString();
      Exec(gCnn(), QStringLiteral("INSERT INTO Picked VALUES (") + QuotText(label) + QStringLiteral(", ") +
                     QuotDate(DateForStorage(field->text())) + QStringLiteral(")"));
      const auto stored = ToDateTime(Value(gCnn(), QStringLiteral("SELECT D FROM Picked WHERE Cal = ") + QuotText(label)));
      ASSERT_TRUE(stored.has_value()) << label.toStdString();
      EXPECT_EQ(stored->date(), day) << label.toStdString();
    }
  }
}

TOLVA_DB_TEST_SUITE(DateFieldRoundTripTest);
