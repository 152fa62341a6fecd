#pragma once
// Statements a test runs to set up or check its data: they must work, so a failure fails the
// test with the statement's error instead of answering it.
#include "db/Connection.h"

#include <gtest/gtest.h>

int Exec(Connection& cnn, const QString& sql, const QVariantList& values = {});
QSqlQuery Rows(Connection& cnn, const QString& sql, const QVariantList& values = {});
QVariant Value(Connection& cnn, const QString& sql, const QVariantList& values = {});

// The value of a call that must work: its failure fails the test.
template <typename T>
T Must(Fetched<T> result) {
  if (result.ok()) return std::move(*result);
  ADD_FAILURE() << result.failure.number.toStdString() << " " << result.failure.description.toStdString();
  return T();
}
inline void Must(const Done& done) {
  if (!done) ADD_FAILURE() << done.failure().number.toStdString() << " " << done.failure().description.toStdString();
}

// Literals for tests that write a statement the way an older program or a person at the
// database would: a text quoted (apostrophes doubled, trimmed), a date in the dialect's literal
// form of TheSettings().dateQuote ("TO_DATE" for the provider "MSDAORA") or NULL for no date.
QString QuotText(const QVariant& value);
QVariant QuotStr(const QVariant& value);
QString QuotDate(const QVariant& value, const QString& provider = QString());
