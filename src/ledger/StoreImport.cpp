#include "ledger/StoreImport.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "ledger/CardCodes.h"
#include "ledger/StoreFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

const QString kLedger = QStringLiteral("TolvaImport");
// Far above any store's day; a larger file is refused before it is read into memory.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

QVariant bound(const Connection& cnn, const StoreValue& v) {
  switch (v.kind) {
    case StoreValue::Kind::Null: return QVariant();
    case StoreValue::Kind::Date: return cnn.dialect().dateValue(v.date);
    case StoreValue::Kind::Number:
    case StoreValue::Kind::Text: return v.text;
  }
  return QVariant();
}

// "TxnDate" within the day, with its two values appended to `values`.
QString dayRange(const Dialect& d, const QDate& day, QVariantList& values) {
  values << d.dayValue(day) << d.dayValue(day.addDays(1));
  return QStringLiteral("TxnDate >= ? AND TxnDate < ?");
}

// Rows go in sixteen to a statement, and that statement is prepared once for the whole block:
// a store's day is a few round trips, and no statement carries so many values that binding
// them costs more than the rows (the drivers look each one up by its place).
constexpr qsizetype kRowsPerStatement = 16;
constexpr qsizetype kMaxBoundValues = 900;

QString insertSql(const StoreBlock& block, qsizetype rows) {
  const QStringList marks(block.columns.size() + 1, QStringLiteral("?"));
  const QString tuple = QStringLiteral("( ") + marks.join(QStringLiteral(", ")) + QStringLiteral(" )");
  return QStringLiteral("INSERT INTO TolvaLog ( %1, ImportNo ) VALUES ").arg(block.columns.join(QStringLiteral(", "))) +
         QStringList(rows, tuple).join(QStringLiteral(", "));
}

QVariantList rowValues(const Connection& cnn, const StoreBlock& block, qsizetype first, qsizetype n, const QVariant& importNo) {
  QVariantList values;
  values.reserve(n * (block.columns.size() + 1));
  for (qsizetype r = first; r < first + n; ++r) {
    for (const StoreValue& v : block.rows[r]) values.append(bound(cnn, v));
    values.append(importNo);
  }
  return values;
}

// Each row carries the number of the import that inserted it (`ImportNo`): a later import of
// the same store and day removes exactly those rows and never the ones the windows wrote.
Done insertRows(Connection& cnn, const StoreFileContent& content, const QVariant& importNo) {
  for (const StoreBlock& block : content.blocks) {
    const qsizetype width = block.columns.size() + 1;
    const qsizetype perStatement = std::clamp<qsizetype>(kMaxBoundValues / width, 1, kRowsPerStatement);
    const qsizetype runs = block.rows.size() / perStatement, whole = runs * perStatement;
    if (runs > 0) {
      const Fetched<int> in = cnn.executeRuns(insertSql(block, perStatement), rowValues(cnn, block, 0, whole, importNo), int(runs));
      if (!in) return in.failure;
    }
    if (whole == block.rows.size()) continue;
    const qsizetype rest = block.rows.size() - whole;
    if (const Fetched<int> in = cnn.execute(insertSql(block, rest), rowValues(cnn, block, whole, rest, importNo)); !in) {
      return in.failure;
    }
  }
  return {};
}

Fetched<bool> anyRow(const Fetched<QVariant>& count) {
  if (!count) return count.failure;
  return count->toInt() > 0;
}

Fetched<bool> seenBefore(Connection& cnn, const QByteArray& sha) {
  return anyRow(cnn.scalar(QStringLiteral("SELECT COUNT(*) FROM TolvaImport WHERE Sha256 = ?"), {QString::fromLatin1(sha)}));
}

// The ledger row of this import; answers its number, which the imported rows carry.
Fetched<QVariant> recordImport(Connection& cnn, const QFileInfo& file, const QByteArray& sha, const ImportOutcome& o) {
  const Fetched<int> recorded = cnn.execute(QStringLiteral("INSERT INTO TolvaImport ( FileName, FileSize, Sha256, StoreID, TxnDate, RowCount, "
                             "ImportedAt, POSID, UserID ) VALUES ( ?, ?, ?, ?, ?, ?, %1, ?, ? )")
                  .arg(cnn.dialect().nowFunc()),
              {file.fileName(), file.size(), QString::fromLatin1(sha), o.storeID, cnn.dialect().dayValue(o.txnDate), o.rows,
               TheSettings().workstation, TheSettings().operatorId});
  if (!recorded) return recorded.failure;
  const Fetched<QVariant> importNo = cnn.lastInsertId();
  if (importNo && (!importNo->isValid() || importNo->isNull())) return Failure{QStringLiteral("0"), QStringLiteral("無法取得轉入序號")};
  return importNo;
}

// Imports of one store run one at a time, whatever processes run them: each takes the store's
// row before it looks at the day, and holds it to its commit. Without it two imports of one
// file each delete what the other has not committed yet and both insert, doubling the day.
Done lockStore(Connection& cnn, const QString& storeID) {
  return Done::of(cnn.execute(QStringLiteral("UPDATE Store SET StoreID = StoreID WHERE StoreID = ?"), {storeID}));
}

Fetched<bool> fileImportedAs(Connection& cnn, const QString& fileName, const QByteArray& sha) {
  return anyRow(cnn.scalar(QStringLiteral("SELECT COUNT(*) FROM TolvaImport WHERE FileName = ? AND Sha256 = ?"),
                           {fileName, QString::fromLatin1(sha)}));
}

Fetched<bool> fileNameImported(Connection& cnn, const QString& fileName) {
  return anyRow(cnn.scalar(QStringLiteral("SELECT COUNT(*) FROM TolvaImport WHERE FileName = ?"), {fileName}));
}

enum class Moved { Yes, Gone, Failed };

// Moves a loaded file to the LOG folder, replacing a file of that name there in one step, so
// that a run that finds the file gone never removes the copy another run put there.
Moved moveToLog(const QString& path) {
  const QString folder = ImportedFilesFolder();
  if (!QDir().mkpath(folder)) return Moved::Failed;
  const QString target = QDir(folder).filePath(QFileInfo(path).fileName());
  const QByteArray from = QFile::encodeName(path);
  if (::rename(from.constData(), QFile::encodeName(target).constData()) == 0) return Moved::Yes;
  if (errno == ENOENT && !QFileInfo::exists(path)) return Moved::Gone;
  if (errno != EXDEV) return Moved::Failed;
  // Another file system: a copy under a name of this process's own, renamed into place.
  const QString part = target + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
  QFile::remove(part);
  if (!QFile::copy(path, part)) return QFileInfo::exists(path) ? Moved::Failed : Moved::Gone;
  if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
    QFile::remove(part);
    return Moved::Failed;
  }
  return QFile::remove(path) || !QFileInfo::exists(path) ? Moved::Yes : Moved::Failed;
}

Fetched<QString> storeIdOf(Connection& cnn, const QString& storeName) {
  const Fetched<QVariant> id = cnn.scalar(QStringLiteral("SELECT StoreID FROM Store WHERE StoreName = ?"), {storeName});
  if (!id) return id.failure;
  // No row, or a store row without a code: neither can own rows.
  return id->toString();
}

bool readFile(const QString& path, QByteArray& bytes, QString& reason) {
  QFile f(path);
  if (!f.exists()) {
    reason = QStringLiteral("檔案不存在");
    return false;
  }
  if (f.size() > kMaxFileBytes) {
    reason = QStringLiteral("檔案過大");
    return false;
  }
  if (!f.open(QIODevice::ReadOnly)) {
    reason = f.exists() ? QStringLiteral("無法讀取檔案") : QStringLiteral("檔案不存在");
    return false;
  }
  bytes = f.readAll();
  return true;
}

// A file another run moved away between the listing and now: imported, when the ledger has it.
Fetched<bool> takenByOtherRun(Connection& cnn, const QString& path, ImportOutcome& o) {
  if (QFileInfo::exists(path)) return false;
  if (const Done ledger = EnsureImportLedger(cnn); !ledger) return ledger.failure();
  const Fetched<bool> imported = fileNameImported(cnn, QFileInfo(path).fileName());
  if (!imported.ok() || !*imported) return imported;
  o.reason.clear();
  o.byOtherRun = true;
  return true;
}

// The day's rows of this file in place of an earlier import's, in the caller's transaction.
Done replaceDay(Connection& cnn, const QFileInfo& info, const QByteArray& sha, ImportOutcome& o,
                const StoreFileContent& content) {
  const Fetched<bool> seen = seenBefore(cnn, sha);
  if (!seen.ok()) return seen.failure;
  o.alreadyImported = *seen;
  // An earlier import of the same store and day goes, so that a re-import leaves one copy;
  // rows the windows wrote under the store and day are no import's and stay.
  QVariantList values{o.storeID};
  const QString sameDay = dayRange(cnn.dialect(), o.txnDate, values);
  const Fetched<int> gone =
      cnn.execute(QStringLiteral("DELETE FROM TolvaLog WHERE TxnDept = ? AND ImportNo IS NOT NULL AND ") + sameDay, values);
  if (!gone) return gone.failure;
  const Fetched<QVariant> importNo = recordImport(cnn, info, sha, o);
  if (!importNo) return importNo.failure;
  if (const Done rows = insertRows(cnn, content, *importNo); !rows) return rows;
  return RefreshCardBalances(cnn, o.storeID, o.txnDate);
}

// Everything up to the commit; false with the reason when the file cannot be loaded.
Fetched<bool> load(const QString& path, Connection& cnn, ImportOutcome& o, QByteArray& sha) {
  const QFileInfo info(path);
  const std::optional<StoreFileName> name = ParseStoreFileName(info.fileName());
  if (!name) {
    o.reason = QStringLiteral("檔名格式不符");
    return false;
  }
  o.txnDate = name->txnDate;
  const Fetched<QString> store = storeIdOf(cnn, name->storeName);
  if (!store) return store.failure;
  o.storeID = *store;
  if (o.storeID.isEmpty()) {
    o.reason = QStringLiteral("無此店名: %1").arg(name->storeName);
    return false;
  }
  QByteArray bytes;
  if (!readFile(path, bytes, o.reason)) return takenByOtherRun(cnn, path, o);
  const std::optional<StoreFileContent> content = ParseStoreFile(bytes, o.txnDate, o.storeID, o.reason);
  if (!content) return false;
  o.rows = content->rowCount();
  sha = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
  if (const Done ledger = EnsureImportLedger(cnn); !ledger) return ledger.failure();

  TransactionGuard txn(cnn);
  if (!txn.begun()) return txn.begun().failure();
  if (const Done locked = lockStore(cnn, o.storeID); !locked) return locked.failure();
  // Another run that read the same file committed it and moved it away while this one waited.
  if (!QFileInfo::exists(path)) {
    const Fetched<bool> imported = fileImportedAs(cnn, info.fileName(), sha);
    if (!imported.ok()) return imported;
    if (*imported) {
      o.byOtherRun = true;
      return true;
    }
  }
  if (const Done replaced = replaceDay(cnn, info, sha, o, *content); !replaced) return replaced.failure();
  if (const Done committed = txn.commit(); !committed) return committed.failure();
  return true;
}

}  // namespace

QString ImportOutcome::resultText() const {
  if (!ok) return QStringLiteral("轉入失敗: ") + reason;
  if (byOtherRun) return QStringLiteral("轉入OK(已由另一作業轉入)");
  return alreadyImported ? QStringLiteral("轉入OK(已轉入過)") : QStringLiteral("轉入OK");
}

QString ImportedFilesFolder() { return QDir(TheSettings().appPath).filePath(QStringLiteral("LOG")); }

namespace {

// The ledger table, made by the same statements a new database gets.
Done createLedger(Connection& cnn) {
  const QString name = cnn.dialect().schemaScript();
  if (name.isEmpty()) return Failure{QStringLiteral("0"), QStringLiteral("資料庫沒有 TolvaImport 表格")};
  const Fetched<QString> script = SchemaScriptText(name);
  if (!script) return script.failure;
  for (const QString& statement : SplitSqlScript(*script)) {
    if (!statement.contains(QStringLiteral("CREATE")) || !statement.contains(kLedger)) continue;
    if (const Fetched<int> made = cnn.execute(statement); !made) return made.failure;
  }
  return {};
}

}  // namespace

Done EnsureImportLedger(Connection& cnn) {
  const Fetched<bool> has = HasTable(cnn, kLedger);
  if (!has.ok()) return has.failure;
  if (!*has) {
    if (const Done made = createLedger(cnn); !made) return made;
  }
  if (HasColumn(cnn, QStringLiteral("TolvaLog"), QStringLiteral("ImportNo"))) return {};
  const Fetched<int> added = cnn.execute(QStringLiteral("ALTER TABLE TolvaLog ADD ImportNo INTEGER"));
  // Another process may have added it a moment ago.
  if (!added && !HasColumn(cnn, QStringLiteral("TolvaLog"), QStringLiteral("ImportNo"))) return added.failure;
  return {};
}

ImportOutcome ImportStoreFile(const QString& path) { return ImportStoreFile(path, gCnn()); }

ImportOutcome ImportStoreFile(const QString& path, Connection& cnn) {
  ImportOutcome o;
  QByteArray sha;
  const Fetched<bool> loaded = load(path, cnn, o, sha);
  if (!loaded.ok()) {
    LogError(ErrorLabel(), loaded.failure);
    o.reason = loaded.failure.description;
    return o;
  }
  if (!*loaded) return o;
  if (o.byOtherRun) {
    o.ok = true;
    return o;
  }
  switch (moveToLog(path)) {
    case Moved::Yes: break;
    case Moved::Gone:
      // Another run loaded the same file and moved it first; its rows were replaced by these,
      // the same content, so the day holds the file once.
      o.byOtherRun = true;
      break;
    case Moved::Failed:
      // The rows are in; a file left behind is harmless, since loading it again replaces them.
      o.reason = QStringLiteral("已轉入, 但無法移到LOG目錄");
      return o;
  }
  o.ok = true;
  return o;
}

QList<BoundSql> CardRefreshSql(const Dialect& d, const QString& storeID, const QDate& txnDate) {
  QVariantList dayValues;
  const QString range = dayRange(d, txnDate, dayValues);
  const QVariant today = d.dayValue(Today());
  // One read of each card's history for both sums. Cards without a counted row form no
  // group and keep their balance.
  BoundSql balances{QStringLiteral("UPDATE Tolva SET BalAmt = S.Amt, BalPoint = S.Pt, UpdDate = ? FROM ( "
                                   "SELECT L.CardNo AS CardNo, ROUND(SUM(L.TxnAmt), 4) AS Amt, ROUND(SUM(L.TxnPoint), 4) AS Pt "
                                   "FROM TolvaLog L WHERE L.CardNo IN ( SELECT CardNo FROM TolvaLog WHERE TxnDept = ? AND %1 ) "
                                   "AND %2 GROUP BY L.CardNo ) S WHERE Tolva.CardNo = S.CardNo")
                        .arg(range, BalanceRowCondition(QStringLiteral("L.TxnType"))),
                    QVariantList{today, storeID} + dayValues};
  const QString ofType =
      QStringLiteral(" WHERE CardNo IN ( SELECT CardNo FROM TolvaLog WHERE TxnDept = ? AND TxnType = ? AND ") + range +
      QStringLiteral(" )");
  // A blacklisted card keeps its status: a sale reported by a store does not lift the blacklist.
  BoundSql sold{QStringLiteral("UPDATE Tolva SET FirstDate = ?, Status = CASE WHEN Status = ? THEN Status ELSE ? END, "
                               "UpdDate = ?") + ofType,
                QVariantList{d.dayValue(txnDate), CardStatus::Blacklisted, CardStatus::Sold, today, storeID, TxnType::Sale} + dayValues};
  BoundSql renewed{QStringLiteral("UPDATE Tolva SET GoodThru = ?, UpdDate = ?") + ofType,
                   QVariantList{d.dayValue(RenewedGoodThru(txnDate)), today, storeID, TxnType::TopUp} + dayValues};
  return {balances, sold, renewed};
}

Done RefreshCardBalances(Connection& cnn, const QString& storeID, const QDate& txnDate) {
  // Set-based: three statements for the whole day, whatever number of cards it touches.
  for (const BoundSql& s : CardRefreshSql(cnn.dialect(), storeID, txnDate)) {
    if (const Fetched<int> done = cnn.execute(s.sql, s.values); !done) return done.failure;
  }
  return {};
}
