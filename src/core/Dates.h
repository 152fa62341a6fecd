#pragma once
// Dates between the display convention (TheSettings().calendar, TheSettings().dateSeparator) and the database.
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// A value as a date and time, when it is one: a QDate/QDateTime, or a text in one of the
// forms the program and its databases write ("2026/03/05", "2026-03-05 14:07:09", ...).
std::optional<QDateTime> ToDateTime(const QVariant& value);
// The same as a day and a time of day, without the time zone a QDateTime looks up (a system
// call per value): for lists that show a date on every row.
struct DayAndTime {
  QDate day;
  QTime time;
};
std::optional<DayAndTime> ToDayAndTime(const QVariant& value);
// The day alone, or an invalid date: for reports that read a day from each of a million rows.
QDate ToDay(const QVariant& value);

QString DateForDisplay(const QVariant& value, const QString& format = QString());
// DateForDisplay of a day, kept while the date settings stay: a list shows the same few days
// row after row.
QString DayForDisplay(const QDate& day);
QString DateForStorage(const QString& text);
QString DateWithSeparators(const QString& text);
// What a date field shows for a date chosen in the picker: the display convention, written in
// full where the convention would lose the day (YYYY/MM) or the century (two-digit years).
// Whatever it gives, the field accepts as the same day.
QString DateFieldText(const QDate& date);
