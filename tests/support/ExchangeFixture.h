#pragma once
// A database with one store and three cards, an inbox folder for store files, and a checksum
// of every table to prove that a refused file changed nothing.
#include "support/TestEnv.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class ExchangeTest : public DbTest {
protected:
  void SetUp() override;

  // The inbox folder the store files are put in.
  QString inbox() const { return path(QStringLiteral("inbox")); }
  // Writes a file into the inbox and answers its path.
  QString drop(const QString& name, const QByteArray& bytes) const;
  // A TolvaLog block (in the code page) with the usual columns and these data lines.
  static QByteArray logFile(const QStringList& dataLines);
  // The name of store 001's file of 2006/01/15.
  static QString fileName() { return QStringLiteral("DD20060115_台北店_TL.TXT"); }
  // Every row of every table, in a stable order.
  QString checksum();
  QVariant cardValue(const QString& cardNo, const QString& column);
  int count(const QString& sqlWhere);
  // Runs the program (a process of its own, on this database) with the arguments on a machine
  // without a display; answers its exit code and puts its output lines in `lines`.
  int run(const QStringList& args, QStringList& lines);
};
