#include "db/DatabaseCopy.h"

#include "core/Money.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {

struct TableSpec {
  const char* name;
  const char* sums;  // summed columns, "" when none
  bool rowNumbers;   // RNo is generated: its counter continues after the copied rows
};

// In an order the tables' references allow; the codes of the target's script give way to the
// source's.
const TableSpec kTables[] = {
    {"Store", "", false},           {"xxPARAM", "", false},          {"xxCODE", "", false},
    {"xxNO", "NoNext", false},      {"xxAPLOG", "", true},           {"Tolva", "BalAmt,BalPoint", true},
    {"TolvaLog", "TxnAmt,TxnPoint", true}, {"VoidCard", "", true},   {"TolvaImport", "RowCount", true},
};

// Bound values of one statement stay well below every driver's limit.
constexpr int kMaxBoundValues = 900;
// Full statements go to the target this many at a time, prepared once: the server parses and
// plans the statement once for all of them, not once per statement.
constexpr int kStatementsPerRun = 64;

Fetched<QString> sumsOf(Connection& cnn, const TableSpec& t) {
  const QStringList columns = QString::fromLatin1(t.sums).split(u',', Qt::SkipEmptyParts);
  if (columns.isEmpty()) return QString();
  QStringList parts;
  for (const QString& c : columns) parts << QStringLiteral("SUM(%1)").arg(c);
  Fetched<QSqlQuery> q = cnn.query(QStringLiteral("SELECT ") + parts.join(u',') + QStringLiteral(" FROM ") +
                                   QString::fromLatin1(t.name));
  if (!q) return q.failure;
  QStringList out;
  if (q->next()) {
    for (int i = 0; i < columns.size(); ++i) out << columns[i] + u'=' + Money::fromVariant(q->value(i)).toString();
  }
  return out.join(QStringLiteral(", "));
}

Fetched<qint64> rowsOf(Connection& cnn, const TableSpec& t) {
  const Fetched<QVariant> n = cnn.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(t.name));
  if (!n) return n.failure;
  return n->toLongLong();
}

QString insertText(const QString& head, const QString& tuple, int rows) {
  return head + QStringList(rows, tuple).join(QStringLiteral(", "));
}

// The rows of one table, several to a statement.
Done copyRows(Connection& from, Connection& to, const TableSpec& t) {
  const QString table = QString::fromLatin1(t.name);
  QStringList columns;
  // The drivers look the table up in their own letter case.
  QSqlRecord record = from.database().record(table);
  if (record.isEmpty()) record = from.database().record(table.toLower());
  for (int i = 0; i < record.count(); ++i) columns << record.fieldName(i);
  if (columns.isEmpty()) return Failure{QStringLiteral("-1"), QStringLiteral("來源資料庫沒有 ") + table};
  const QString head = QStringLiteral("INSERT INTO %1 ( %2 ) VALUES ").arg(table, columns.join(QStringLiteral(", ")));
  const QString tuple = QStringLiteral("( ") + QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
                        QStringLiteral(" )");
  const int perStatement = std::max<int>(1, kMaxBoundValues / int(columns.size()));
  const QString full = insertText(head, tuple, perStatement);
  const qsizetype valuesPerRun = qsizetype(perStatement) * kStatementsPerRun * columns.size();
  QVariantList values;
  values.reserve(valuesPerRun);
  Done written;
  const Done read = ForEachRow(from, QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), table), {},
                               [&](const QSqlQuery& q) {
                                 if (!written) return;
                                 for (int i = 0; i < columns.size(); ++i) values << q.value(i);
                                 if (values.size() < valuesPerRun) return;
                                 written = Done::of(to.executeRuns(full, values, kStatementsPerRun));
                                 values.clear();
                               });
  if (!read) return read;
  if (!written) return written;
  // What is left: whole statements, then the last rows in one of their own.
  const int rows = int(values.size() / columns.size());
  const int statements = rows / perStatement;
  const qsizetype whole = qsizetype(statements) * perStatement * columns.size();
  if (const Done done = Done::of(to.executeRuns(full, values.mid(0, whole), statements)); !done) return done;
  if (rows == statements * perStatement) return {};
  return Done::of(to.execute(insertText(head, tuple, rows - statements * perStatement), values.mid(whole)));
}

Done createSchema(Connection& to) {
  const Fetched<QString> script = SchemaScriptText(to.dialect().schemaScript());
  if (!script) return script.failure;
  for (const QString& statement : SplitSqlScript(*script)) {
    if (const Fetched<int> done = to.execute(statement); !done) return done.failure;
  }
  // The source's own code descriptions replace the script's.
  return Done::of(to.execute(QStringLiteral("DELETE FROM xxCODE")));
}

// The table as both sides hold it.
Fetched<CopiedTable> compare(Connection& from, Connection& to, const TableSpec& t) {
  const Fetched<qint64> fromRows = rowsOf(from, t);
  if (!fromRows) return fromRows.failure;
  const Fetched<qint64> toRows = rowsOf(to, t);
  if (!toRows) return toRows.failure;
  const Fetched<QString> fromSums = sumsOf(from, t);
  if (!fromSums) return fromSums.failure;
  const Fetched<QString> toSums = sumsOf(to, t);
  if (!toSums) return toSums.failure;
  return CopiedTable{QString::fromLatin1(t.name), *fromRows, *toRows, *fromSums, *toSums};
}

Fetched<QList<CopiedTable>> copyAll(Connection& from, Connection& to) {
  if (const Done made = createSchema(to); !made) return made.failure();
  QList<CopiedTable> out;
  for (const TableSpec& t : kTables) {
    if (const Done copied = copyRows(from, to, t); !copied) return copied.failure();
    const QString counter = to.dialect().restartRowNumbers(QString::fromLatin1(t.name));
    if (t.rowNumbers && !counter.isEmpty()) {
      if (const Fetched<QVariant> set = to.scalar(counter); !set) return set.failure;
    }
    const Fetched<CopiedTable> compared = compare(from, to, t);
    if (!compared) return compared.failure;
    out << *compared;
  }
  return out;
}

}  // namespace

Fetched<QList<CopiedTable>> CopyDatabase(Connection& from, Connection& to) {
  const Fetched<bool> used = HasTable(to, QStringLiteral("Tolva"));
  if (!used.ok()) return used.failure;
  if (*used) return Failure{QStringLiteral("-1"), QStringLiteral("目標資料庫已有資料表，只能複製到空的資料庫")};
  TransactionGuard tx(to);
  if (!tx.begun()) return tx.begun().failure();
  const Fetched<QList<CopiedTable>> copied = copyAll(from, to);
  if (!copied) return copied;
  const bool agrees = std::all_of(copied->begin(), copied->end(), [](const CopiedTable& c) { return c.agrees(); });
  if (!agrees) return Failure{QStringLiteral("-1"), QStringLiteral("複製後的筆數或金額與來源不符，已全部取消")};
  if (const Done committed = tx.commit(); !committed) return committed.failure();
  return copied;
}
