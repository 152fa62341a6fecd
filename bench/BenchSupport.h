#pragma once
// What every benchmark needs: an application folder of its own, an operator who answers
// nothing, the database under test (an SQLite file, or a schema of its own on the server named
// by TOLVA_TEST_PG) and the median of repeated timings.
#include "core/OperatorDialogs.h"
#include "db/Connection.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <vector>

// No operator: anything the program would show goes to stderr. A card wait runs `onWait`
// (nothing given: the wait is cancelled).
class NoOperator final : public OperatorDialogs {
public:
  std::function<bool(const std::function<bool()>&)> onWait;

  void messageBox(const QString& text, const QString&, MsgIcon) override;
  bool askYesNo(const QString&, const QString&) override { return false; }
  QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
  void showMessage(const QString& text, int) override;
  bool waitForCard(const std::function<bool()>& poll) override { return onWait ? onWait(poll) : false; }
  QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString selectFolder(const QString&, const QString&) override { return {}; }
  bool openDocument(const QString&) override { return false; }
  void beep() override {}
};

// The application folder (a temporary one) and the database of `target` ("sqlite" or
// "postgres"), opened as gCnn with the program's schema; the schema is dropped at the end.
class BenchDatabase {
public:
  explicit BenchDatabase(const QString& target);
  ~BenchDatabase();
  // False (with the reason on stderr) when the database could not be made.
  bool open();
  bool postgres() const { return postgres_; }
  QString folder() const { return dir_.path(); }
  QString sqliteFile() const { return dir_.filePath(QStringLiteral("bench.db")); }
  const QString& schema() const { return schema_; }

private:
  QTemporaryDir dir_;
  bool postgres_;
  QString schema_;
};

double MedianMs(std::vector<qint64> nanoseconds);

// A statement the benchmark needs: its failure is written to stderr, and the benchmark goes on
// (its own check then fails).
bool Statement(Connection& cnn, const QString& sql, const QVariantList& values = {});
QVariant Scalar(Connection& cnn, const QString& sql);
bool Check(const Done& step);
