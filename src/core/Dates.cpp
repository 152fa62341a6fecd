#include "core/Dates.h"

#include "core/Settings.h"

#include <QHash>
#include <QRegularExpression>
#include <cstdio>

namespace {

// The ASCII digits at `at`, `least` to `most` of them, as a number; -1 when fewer. `at` moves
// past the digits read.
int digitsAt(const QString& s, qsizetype& at, int least, int most) {
  int value = 0, n = 0;
  for (; n < most && at < s.size() && s[at] >= u'0' && s[at] <= u'9'; ++n, ++at) value = value * 10 + (s[at].unicode() - u'0');
  return n >= least ? value : -1;
}

qsizetype skipDigits(const QString& s, qsizetype& at) {
  const qsizetype from = at;
  while (at < s.size() && s[at] >= u'0' && s[at] <= u'9') ++at;
  return at - from;
}

// A plain loop: QStringView::contains searches as for a string, and every listed row passes here.
bool oneOf(QChar c, QStringView any) {
  for (const QChar a : any) {
    if (a == c) return true;
  }
  return false;
}

bool charAt(const QString& s, qsizetype& at, QStringView any) {
  if (at >= s.size() || !oneOf(s[at], any)) return false;
  ++at;
  return true;
}

void skipBlanks(const QString& s, qsizetype& at) {
  while (at < s.size() && oneOf(s[at], u" \t\n\v\f\r")) ++at;
}

// "hh:mm", "hh:mm:ss" or "hh:mm:ss.fff" at `at`; `at` stays where it was when there is none.
std::optional<QTime> timeAt(const QString& s, qsizetype& at) {
  qsizetype i = at;
  if (!charAt(s, i, u" T")) return std::nullopt;
  const int h = digitsAt(s, i, 1, 2);
  if (h < 0 || !charAt(s, i, u":")) return std::nullopt;
  const int m = digitsAt(s, i, 1, 2);
  if (m < 0) return std::nullopt;
  int sec = 0;
  if (qsizetype j = i; charAt(s, j, u":")) {
    if (const int read = digitsAt(s, j, 1, 2); read >= 0) {
      sec = read;
      i = j;
      // A fraction of the second is read over and dropped.
      if (qsizetype k = i; charAt(s, k, u".") && skipDigits(s, k) > 0) i = k;
    }
  }
  at = i;
  return QTime(h, m, sec);
}

// "yyyy/m/d" with "/", "-" or "." between, optionally followed by a time, blanks around: read
// by hand, since every date of every listed row passes here.
std::optional<DayAndTime> parseParts(const QString& raw) {
  qsizetype at = 0;
  skipBlanks(raw, at);
  const int y = digitsAt(raw, at, 4, 4);
  if (y < 0 || !charAt(raw, at, u"/-.")) return std::nullopt;
  const int mo = digitsAt(raw, at, 1, 2);
  if (mo < 0 || !charAt(raw, at, u"/-.")) return std::nullopt;
  const int d = digitsAt(raw, at, 1, 2);
  if (d < 0) return std::nullopt;
  const QDate date(y, mo, d);
  if (!date.isValid() || date.year() < 100) return std::nullopt;
  const std::optional<QTime> t = timeAt(raw, at);
  skipBlanks(raw, at);
  if (at != raw.size()) return std::nullopt;
  if (!t) return DayAndTime{date, QTime(0, 0, 0)};
  if (!t->isValid()) return std::nullopt;
  return DayAndTime{date, *t};
}

std::optional<QDateTime> parseText(const QString& raw) {
  const std::optional<DayAndTime> parts = parseParts(raw);
  if (!parts) return std::nullopt;
  return QDateTime(parts->day, parts->time);
}

// Zero-padded digits; a history of thousands of rows shows two dates a row, so not QString::arg.
QString padded(int n, int width) {
  char text[16];
  const int len = std::snprintf(text, sizeof text, "%0*d", width, n);
  return QString::fromLatin1(text, len);
}

QString twoDigits(int n) { return padded(n, 2); }

// The years counted from 1911 (the ROC calendar), at least two digits.
QString rocYear(int year) { return twoDigits(year - 1911); }

}  // namespace

std::optional<QDateTime> ToDateTime(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QDate:
      if (value.toDate().isValid()) return QDateTime(value.toDate(), QTime(0, 0));
      return std::nullopt;
    case QMetaType::QDateTime:
      if (value.toDateTime().isValid()) return value.toDateTime();
      return std::nullopt;
    case QMetaType::QString:
    case QMetaType::QByteArray:
      return parseText(value.toString());
    default:
      return std::nullopt;
  }
}

std::optional<DayAndTime> ToDayAndTime(const QVariant& value) {
  if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) return parseParts(value.toString());
  const std::optional<QDateTime> dt = ToDateTime(value);
  if (!dt) return std::nullopt;
  return DayAndTime{dt->date(), dt->time()};
}

QDate ToDay(const QVariant& value) {
  const std::optional<DayAndTime> dt = ToDayAndTime(value);
  return dt ? dt->day : QDate();
}

QString DateForDisplay(const QVariant& value, const QString& format) {
  const auto dt = ToDateTime(value);
  if (!dt) return {};
  const QDate d = dt->date();
  const QString& conv = format.isEmpty() ? TheSettings().calendar : format;
  const QString& sep = TheSettings().dateSeparator;
  const QString mm = twoDigits(d.month());
  if (conv == QLatin1String("CCMMDD")) return rocYear(d.year()) + mm + twoDigits(d.day());
  if (conv == QLatin1String("CC/MM/DD")) return rocYear(d.year()) + sep + mm + sep + twoDigits(d.day());
  if (conv == QLatin1String("YYYY/MM/DD")) return padded(d.year(), 4) + sep + mm + sep + twoDigits(d.day());
  if (conv == QLatin1String("YY/MM/DD")) return twoDigits(d.year() % 100) + sep + mm + sep + twoDigits(d.day());
  if (conv == QLatin1String("YYYY/MM")) return padded(d.year(), 4) + QStringLiteral("/") + mm;
  if (conv == QLatin1String("YYMMDD")) return twoDigits(d.year() % 100) + mm + twoDigits(d.day());
  // Any other convention is a format pattern of its own.
  QString pattern = TheSettings().calendar;
  pattern.replace(QStringLiteral("YYYY"), QStringLiteral("yyyy"))
      .replace(QStringLiteral("YY"), QStringLiteral("yy"))
      .replace(QStringLiteral("DD"), QStringLiteral("dd"));
  return d.toString(pattern);
}

QString DayForDisplay(const QDate& day) {
  thread_local QHash<qint64, QString> texts;
  thread_local QString calendar, separator;
  if (calendar != TheSettings().calendar || separator != TheSettings().dateSeparator || texts.size() > 10000) {
    texts.clear();
    calendar = TheSettings().calendar;
    separator = TheSettings().dateSeparator;
  }
  auto it = texts.find(day.toJulianDay());
  if (it == texts.end()) it = texts.insert(day.toJulianDay(), DateForDisplay(day));
  return *it;
}

namespace {

bool isRocCalendar() {
  return TheSettings().calendar == QLatin1String("CC/MM/DD") || TheSettings().calendar == QLatin1String("CCMMDD");
}

// A date typed in the ROC calendar: two or three digits of year (counted from 1911), two of
// month and two of day, separated; "115/03/05" is 2026/03/05.
QString rocDateSave(const QString& s) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d{2,3})\D(\d{2})\D(\d{2})$)"));
  const auto m = re.match(s);
  if (!m.hasMatch()) return {};
  const QString candidate = QString::number(m.captured(1).toInt() + 1911) + QStringLiteral("/") + m.captured(2) +
                            QStringLiteral("/") + m.captured(3);
  return parseText(candidate) ? candidate : QString();
}

}  // namespace

QString DateForStorage(const QString& text) {
  const QString s = text.trimmed();
  auto validOrEmpty = [](const QString& candidate) {
    return parseText(candidate) ? candidate : QString();
  };
  if (isRocCalendar()) return rocDateSave(s);
  // A full date with a four-digit year is understood whatever the convention, so that a day
  // outside 2000-2099, or a whole date under a month-only display, can still be entered.
  const bool full = s.size() == 10 && s.left(4).toInt() >= 1000;
  if (TheSettings().calendar == QLatin1String("YYYY/MM/DD")) return full ? validOrEmpty(s) : QString();
  const QString twoDigitYear = validOrEmpty(QStringLiteral("20") + s);
  if (!twoDigitYear.isEmpty() || !full) return twoDigitYear;
  return validOrEmpty(s);
}

QString DateWithSeparators(const QString& text) {
  if (!TheSettings().dateSeparator.isEmpty() && text.contains(TheSettings().dateSeparator)) return text;
  if (text.size() == 6) return text.left(2) + TheSettings().dateSeparator + text.mid(2, 2) + TheSettings().dateSeparator + text.right(2);
  // Seven digits are a three-digit ROC year from 2011 on (1150305).
  if (text.size() == 7 && isRocCalendar()) return text.left(3) + TheSettings().dateSeparator + text.mid(3, 2) + TheSettings().dateSeparator + text.right(2);
  if (text.size() == 8) return text.left(4) + TheSettings().dateSeparator + text.mid(4, 2) + TheSettings().dateSeparator + text.right(2);
  return {};
}

QString DateFieldText(const QDate& date) {
  if (!date.isValid()) return {};
  const bool twoDigitYear = TheSettings().calendar == QLatin1String("YY/MM/DD") || TheSettings().calendar == QLatin1String("YYMMDD");
  const bool fullForm = TheSettings().calendar == QLatin1String("YYYY/MM") || (twoDigitYear && (date.year() < 2000 || date.year() > 2099));
  if (!fullForm) return DateForDisplay(date);
  const QString yyyy = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
  return yyyy + TheSettings().dateSeparator + twoDigits(date.month()) + TheSettings().dateSeparator + twoDigits(date.day());
}
