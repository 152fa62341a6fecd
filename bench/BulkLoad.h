#pragma once
// Loading many generated rows fast: on SQLite one prepared INSERT run for every row inside the
// caller's transaction, on PostgreSQL COPY ... FROM STDIN on the same connection. The secondary
// indexes of the loaded tables are dropped first and made again after, which the engines do by
// sorting instead of inserting into each index row by row.
#include "core/Fetched.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>
#include <memory>
#include <string_view>
#include <vector>

class Connection;

// One value of a row: nothing, a whole number, a text, or a date and time (seconds after
// midnight of `day`).
struct Cell {
  enum class Kind { Null, Number, Text, When } kind = Kind::Null;
  qint64 number = 0;
  std::string_view text;
  QDate day;
  int seconds = 0;

  static Cell null() { return {}; }
  static Cell of(qint64 n) { return {Kind::Number, n, {}, {}, 0}; }
  static Cell of(std::string_view t) { return {Kind::Text, 0, t, {}, 0}; }
  static Cell at(const QDate& d, int secs = 0) { return {Kind::When, 0, {}, d, secs}; }
};

// The rows of one table, given in the column order it was made with.
class TableLoad {
public:
  virtual ~TableLoad() = default;
  virtual Done add(const Cell* cells) = 0;
  // Sends what is buffered; after it no row is added.
  virtual Done finish() = 0;
};

// A load into `table` of `columns` on `cnn` (SQLite or PostgreSQL).
Fetched<std::unique_ptr<TableLoad>> StartLoad(Connection& cnn, const QString& table, const QStringList& columns);

// The statements that make the secondary indexes of `tables` again; the indexes are dropped,
// except those `kept`.
Fetched<QStringList> DropIndexes(Connection& cnn, const QStringList& tables, const QStringList& kept = {});
Done RunAll(Connection& cnn, const QStringList& statements);
