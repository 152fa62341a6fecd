#include "operations/ReportJobs.h"

#include "core/Clock.h"
#include "core/CsvFile.h"
#include "core/ErrorReport.h"
#include "operations/Reports.h"

#include <QDate>
#include <QTextStream>
#include <limits>

namespace {

int usage(const QString& text) {
  QTextStream(stderr) << text << Qt::endl;
  return 2;
}

// Writes the report's text, or says why not; 2 when it could not be written.
int write(const QString& csvFile, const QString& text) {
  return WriteCsvFile(csvFile, text) ? 0 : usage(QStringLiteral("cannot write ") + csvFile);
}

int failed(const char* job, const Failure& failure) {
  LogErrorToShow(QString::fromLatin1(job), failure);
  return 2;
}

QDate dayArgument(const QString& text) {
  for (const char* format : {"yyyy/MM/dd", "yyyy-MM-dd", "yyyyMMdd"}) {
    const QDate d = QDate::fromString(text, QString::fromLatin1(format));
    if (d.isValid()) return d;
  }
  return {};
}


int rollForwardJob(const QString& first, const QString& last, const QString& csvFile) {
  const QDate from = dayArgument(first), to = dayArgument(last);
  if (!from.isValid() || !to.isValid() || to < from) return usage(QStringLiteral("日期錯誤: ") + first + u' ' + last);
  const Fetched<RollForward> r = RollForwardOf(OperationContext::Current(), from, to, {});
  if (!r) return failed("RollForwardJob", r.failure);
  QList<QStringList> cells;
  for (const RollLine& line : r->lines()) cells << RollCells(line);
  if (const int rc = write(csvFile, CsvText(kRollForwardHeadings.split(u'|'), cells)); rc != 0) return rc;
  for (const QString& problem : r->problems()) QTextStream(stderr) << problem << Qt::endl;
  return r->ties() ? 0 : 1;
}

int dormancyJob(const QString& csvFile) {
  const Fetched<Dormancy> d = DormancyOn(OperationContext::Current(), Today(), std::numeric_limits<int>::max());
  if (!d) return failed("DormancyJob", d.failure);
  QList<QStringList> buckets, cards;
  for (const AgingBucket& b : d->buckets) buckets << AgingCells(b);
  for (const DormantCard& c : d->oldest) {
    cards << QStringList{c.cardNo, c.store, c.storeName, c.lastActivity.toString(QStringLiteral("yyyy/MM/dd")),
                         QString::number(c.months), c.amt.toString(), c.points.toString()};
  }
  return write(csvFile, CsvText(kAgingHeadings.split(u'|'), buckets) + QStringLiteral("\r\n") +
                            CsvText(kDormantHeadings.split(u'|'), cards));
}

int expiryJob(const QString& csvFile) {
  const Fetched<Expiry> e = ExpiryOn(OperationContext::Current(), Today());
  if (!e) return failed("ExpiryJob", e.failure);
  QList<QStringList> cells;
  for (const AgingBucket& b : e->coming) cells << AgingCells(b);
  for (const AgingBucket& b : e->expired) cells << AgingCells(b);
  return write(csvFile, CsvText(kAgingHeadings.split(u'|'), cells));
}

int redemptionJob(const QString& csvFile) {
  const Fetched<QList<RedemptionMonth>> months = RedemptionOn(OperationContext::Current(), Today());
  if (!months) return failed("RedemptionJob", months.failure);
  QList<QStringList> cells;
  for (const RedemptionMonth& m : *months) {
    QStringList row{m.month, QString::number(m.cards), m.loaded.toString()};
    for (const auto& share : m.share) row << ShareText(share);
    cells << row;
  }
  return write(csvFile, CsvText(kRedemptionHeadings.split(u'|'), cells));
}

}  // namespace

int ReconcileJob(const QString& csvFile) {
  const Fetched<QList<ReconcileRow>> rows = Disagreements(OperationContext::Current());
  if (!rows) return failed("ReconcileJob", rows.failure);
  QList<QStringList> cells;
  for (const ReconcileRow& r : *rows) cells << ReconcileCells(r);
  if (const int rc = write(csvFile, CsvText(kReconcileHeadings.split(QLatin1Char('|')), cells)); rc != 0) return rc;
  QTextStream(stdout) << rows->size() << Qt::endl;
  return rows->isEmpty() ? 0 : 1;
}

int ReportJob(const QStringList& a) {
  const QString kind = a.value(0);
  if (kind == QLatin1String("rollforward") && a.size() == 4) return rollForwardJob(a[1], a[2], a[3]);
  if (a.size() == 2) {
    if (kind == QLatin1String("reconcile")) return ReconcileJob(a[1]);
    if (kind == QLatin1String("dormancy")) return dormancyJob(a[1]);
    if (kind == QLatin1String("expiry")) return expiryJob(a[1]);
    if (kind == QLatin1String("redemption")) return redemptionJob(a[1]);
  }
  return usage(QStringLiteral("用法: tolva --report ") + kReportUsage);
}
