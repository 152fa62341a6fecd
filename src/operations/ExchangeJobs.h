#pragma once
// The store import and the blacklist export as jobs without a window (the nightly run), and
// the application log rows both the windows and the jobs write.
#include "ledger/BlacklistFile.h"
#include "ledger/StoreImport.h"
#include "operations/OperationContext.h"
#include "operations/StoreFolder.h"

#include <QString>
#include <QStringList>

class QTextStream;

// Imports a file as listed in its folder (see StoreFolder.h).
ImportOutcome ImportListedFile(const QString& dir, const ListedStoreFile& file);
// The application log row of one imported or failed file.
void LogImportOutcome(const QString& path, const ImportOutcome& outcome);
// The status text of a loaded file: "轉入[001]QDR卡交易資料, 日期:2006/01/15".
QString ImportedText(const ImportOutcome& outcome);
// The application log row of an export that wrote its file or failed.
void LogExport(const ExportOutcome& outcome);
// Writes the blacklist file into `dir` (which must exist) and logs what it wrote or why it
// failed; a run without blacklisted cards writes nothing and logs nothing.
ExportOutcome ExportBlacklist(const OperationContext& ctx, const QString& dir);

// Imports every store file of `dir`, one line per file and a summary on `out`. Answers the
// process exit code: 0 when every file loaded, 1 when any failed or the directory is missing.
int RunImportJob(const QString& dir, QTextStream& out);
// Writes the blacklist file into `dir`. 0 when written or when there is no blacklisted card.
int RunExportBlacklistJob(const QString& dir, QTextStream& out);
