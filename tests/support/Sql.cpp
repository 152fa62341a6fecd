#include "support/Sql.h"

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
