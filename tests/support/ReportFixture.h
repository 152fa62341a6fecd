#pragma once
// Report cases on each dialect: journal, card and store rows written straight into the tables.
#include "support/TestEnv.h"

#include <QString>
#include <QStringList>

class ReportWindow;

class ReportTest : public DbTest {
protected:
  // A journal row; `at` is "yyyy/MM/dd HH:mm:ss".
  void txn(const QString& type, const QString& cardNo, const char* at, const QString& amt,
           const QString& point = QStringLiteral("0"), const QString& dept = QStringLiteral("01"),
           const QString& remark = QString());
  void card(const QString& cardNo, const QString& status, const QString& dept, const char* goodThru,
            const QString& bal, const QString& points = QStringLiteral("0"), const char* issued = "2026/01/02 10:00:00");
  void store(const QString& id, const QString& name);
  // Live, erased, blacklisted, expired and not yet issued cards of stores "01" and "02", to be
  // seen on 2026/03/10.
  void liabilityFleet();
  // Issued, topped up, deducted and reversed; a replacement; a blacklisted card: all agreeing.
  void reconcileFleet();
  // Sets the conditions, runs the query and answers the grid's column `col`, top to bottom.
  static QStringList listed(ReportWindow& w, const QString& first, const QString& last, const QString& store, int col = 0);
};
