// The date conversions under every calendar the program knows: a typed date either fails or is
// stored as the day its numbers name, and shows again as a text the field takes for that day.
#include "FuzzSupport.h"

#include "core/Dates.h"
#include "core/Settings.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace {

const QStringList kCalendars = {QStringLiteral("YYYY/MM/DD"), QStringLiteral("CC/MM/DD"), QStringLiteral("YY/MM/DD"),
                                QStringLiteral("CCMMDD"),     QStringLiteral("YYMMDD"),   QStringLiteral("YYYY/MM")};
const QStringList kSeparators = {QStringLiteral("/"), QStringLiteral("-"), QStringLiteral(".")};

bool isRoc() { return TheSettings().calendar.startsWith(QLatin1String("CC")); }

// What the field stores for a typed text: the same steps every date field takes.
QString stored(const QString& typed) { return DateForStorage(DateWithSeparators(typed)); }

struct Number {
  int value = 0;
  int digits = 0;
};

// The runs of digits of a text, as the operator reads them (any script's digits).
QList<Number> numbersIn(const QString& text) {
  QList<Number> out;
  Number n;
  for (const QChar c : text) {
    if (c.digitValue() >= 0) {
      n.value = qMin(n.value * 10 + c.digitValue(), 1000000);
      ++n.digits;
    } else if (n.digits > 0) {
      out << n;
      n = {};
    }
  }
  if (n.digits > 0) out << n;
  return out;
}

// The day a typed text names under the calendar, read from its first three numbers: a year of
// two digits is in this century, except in the ROC calendar, which counts from 1911.
QDate namedDay(const QString& typed) {
  const QList<Number> n = numbersIn(DateWithSeparators(typed));
  if (n.size() < 3) return {};
  int year = n[0].value;
  if (isRoc()) year += 1911;
  else if (n[0].digits <= 2) year += 2000;
  return QDate(year, n[1].value, n[2].value);
}

void checkTyped(const QString& typed) {
  const QString saved = stored(typed);
  if (saved.isEmpty()) return;
  const std::optional<QDateTime> when = ToDateTime(saved);
  FUZZ_CHECK(when && when->isValid());
  const QDate day = when->date();
  FUZZ_CHECK(day == namedDay(typed));
  FUZZ_CHECK(!DateForDisplay(saved).isEmpty());
  FUZZ_CHECK(ToDateTime(stored(DateFieldText(day)))->date() == day);
}

// A day chosen in the picker shows as a text the field stores as that same day.
void checkPicked(const QDate& day) {
  if (!day.isValid()) return;
  const QString shown = DateFieldText(day);
  const QString saved = stored(shown);
  const bool inRange = isRoc() ? day.year() >= 1911 && day.year() <= 2910 : day.year() >= 1000 && day.year() <= 9999;
  if (inRange) FUZZ_CHECK(!saved.isEmpty());
  if (!saved.isEmpty()) FUZZ_CHECK(ToDateTime(saved)->date() == day);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray input = fuzz::bytes(data, size);
  const std::uint8_t selector = fuzz::takeSelector(input);
  EditSettings().calendar = kCalendars[selector % kCalendars.size()];
  EditSettings().dateSeparator = kSeparators[(selector / kCalendars.size()) % kSeparators.size()];
  const QString text = QString::fromUtf8(input);

  checkTyped(text);
  // A text from the database or a file: a date only when it is a valid one.
  if (const std::optional<QDateTime> when = ToDateTime(text)) {
    FUZZ_CHECK(when->isValid());
    checkPicked(when->date());
  }
  if (input.size() >= 4) {
    const int days = static_cast<std::uint8_t>(input[0]) | static_cast<std::uint8_t>(input[1]) << 8 |
                     static_cast<std::uint8_t>(input[2]) << 16;
    checkPicked(QDate(1000, 1, 1).addDays(days % (9000 * 366)));
  }
  return 0;
}
