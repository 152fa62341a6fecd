#include "support/Sql.h"

#include "core/Dates.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

namespace {

template <typename T>
T mustHave(Fetched<T> result, const QString& sql) {
  if (result) return std::move(*result);
  ADD_FAILURE() << sql.toStdString() << ": " << result.failure.number.toStdString() << " "
                << result.failure.description.toStdString();
  return T();
}

}  // namespace

int Exec(Connection& cnn, const QString& sql, const QVariantList& values) {
  return mustHave(cnn.execute(sql, values), sql);
}

QSqlQuery Rows(Connection& cnn, const QString& sql, const QVariantList& values) {
  return mustHave(cnn.query(sql, values), sql);
}

QVariant Value(Connection& cnn, const QString& sql, const QVariantList& values) {
  return mustHave(cnn.scalar(sql, values), sql);
}

QString QuotText(const QVariant& value) {
  QString s = value.isNull() ? QString() : value.toString();
  s.replace(QLatin1String("'"), QLatin1String("''"));
  return QLatin1Char('\'') + s.trimmed() + QLatin1Char('\'');
}

QVariant QuotStr(const QVariant& value) { return QuotText(value); }

QString QuotDate(const QVariant& value, const QString& provider) {
  if (value.isNull() || value.toString().trimmed().isEmpty()) return QStringLiteral("NULL");
  const auto dt = ToDateTime(value);
  if (!dt) {
    ADD_FAILURE() << "not a date: " << value.toString().toStdString();
    return QStringLiteral("NULL");
  }
  return SqlDateLiteral(*dt, provider == QLatin1String("MSDAORA") ? QStringLiteral("TO_DATE") : TheSettings().dateQuote);
}
