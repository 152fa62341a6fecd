#include "operations/ExchangeJobs.h"

#include "core/Dates.h"
#include "core/Settings.h"
#include "ledger/CardCodes.h"
#include "db/Parameters.h"
#include "ledger/StoreFile.h"
#include "operations/StoreFolder.h"
#include "ledger/StoreImport.h"
#include "ledger/BlacklistFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

ImportOutcome ImportListedFile(const QString& dir, const ListedStoreFile& file) {
  QString reason;
  const QString path = OpenableStoreFile(dir, file, reason);
  if (!path.isEmpty()) return ImportStoreFile(path);
  ImportOutcome refused;
  refused.reason = reason;
  return refused;
}

QString ImportedText(const ImportOutcome& o) {
  return QStringLiteral("轉入[%1]QDR卡交易資料, 日期:%2").arg(o.storeID, DateWithSeparators(o.txnDate.toString(QStringLiteral("yyyyMMdd"))));
}

void LogImportOutcome(const QString& path, const ImportOutcome& o) {
  if (o.ok) {
    WriteActivityLog(TheSettings().appName, ApAction::StoreImport, ImportedText(o));
  } else {
    WriteActivityLog(TheSettings().appName, ApAction::StoreImport,
               QStringLiteral("轉入失敗QDR卡交易檔名:%1 (%2)").arg(QDir::toNativeSeparators(path), o.reason), kApFailRemark);
  }
}

void LogExport(const ExportOutcome& o) {
  if (o.result == ExportOutcome::Result::Failed)
    WriteActivityLog(TheSettings().appName, ApAction::BlacklistExport, o.reason, kApFailRemark);
  else
    WriteActivityLog(TheSettings().appName, ApAction::BlacklistExport, QStringLiteral("轉出黑名單筆數：%1").arg(o.count));
}

ExportOutcome ExportBlacklist(const OperationContext& ctx, const QString& dir) {
  const ExportOutcome o = ExportVoidCards(dir, ctx.db);
  if (o.result != ExportOutcome::Result::NoCards) LogExport(o);
  return o;
}

int RunImportJob(const QString& dir, QTextStream& out) {
  if (!QFileInfo(dir).isDir()) {
    out << QStringLiteral("此目錄不存在: %1").arg(dir) << Qt::endl;
    return 1;
  }
  int loaded = 0, failed = 0, rows = 0;
  for (const ListedStoreFile& file : ListStoreFiles(dir)) {
    const ImportOutcome o = ImportListedFile(dir, file);
    LogImportOutcome(QDir(dir).filePath(file.name), o);
    out << file.name << '\t' << o.resultText() << Qt::endl;
    if (o.ok) {
      ++loaded;
      rows += o.rows;
    } else {
      ++failed;
    }
  }
  out << QStringLiteral("共 %1 檔: 轉入 %2 檔 (%3 筆), 失敗 %4 檔").arg(loaded + failed).arg(loaded).arg(rows).arg(failed)
      << Qt::endl;
  return failed == 0 ? 0 : 1;
}

int RunExportBlacklistJob(const QString& dir, QTextStream& out) {
  if (!QFileInfo(dir).isDir()) {
    out << QStringLiteral("轉出目錄不存在: %1").arg(dir) << Qt::endl;
    return 1;
  }
  const ExportOutcome o = ExportBlacklist(OperationContext::Current(), dir);
  switch (o.result) {
    case ExportOutcome::Result::NoCards: out << QStringLiteral("沒有卡號被設為黑名單") << Qt::endl; return 0;
    case ExportOutcome::Result::Failed:
      out << kVoidCardFileName << '\t' << o.reason << Qt::endl;
      return 1;
    case ExportOutcome::Result::Written: break;
  }
  out << kVoidCardFileName << '\t' << QStringLiteral("轉出黑名單筆數：%1").arg(o.count) << Qt::endl;
  return 0;
}
