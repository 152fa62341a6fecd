#include "db/SchemaUpgrade.h"

#include "db/Connection.h"
#include "db/SchemaScript.h"

#include <algorithm>
#include <functional>

namespace {

const QString kCardTable = QStringLiteral("Tolva");

struct Step {
  int to;
  QString what;  // as the application log records it
  std::function<Done(Connection&)> run;
};

// Runs the built-in script's statements that mention `name` (its CREATE TABLE and indexes).
Done createFromScript(Connection& cnn, const QString& name) {
  const Fetched<QString> script = SchemaScriptText(cnn.dialect().schemaScript());
  if (!script) return script.failure;
  for (const QString& statement : SplitSqlScript(*script)) {
    if (!statement.contains(QStringLiteral("CREATE")) || !statement.contains(name)) continue;
    if (const Fetched<int> made = cnn.execute(statement); !made) return made.failure;
  }
  return {};
}

Done addCode(Connection& cnn, const QString& type, const QString& code, const QString& dscp) {
  return Done::of(cnn.execute(QStringLiteral("INSERT INTO xxCODE (CodeType, Code, Dscp) SELECT ?, ?, ? WHERE NOT EXISTS "
                                             "(SELECT 1 FROM xxCODE WHERE CodeType = ? AND Code = ?)"),
                              {type, code, dscp, type, code}));
}

// The store import's ledger and row marks (made on demand until versions were recorded), the
// journal's day index the reports read by, and the action codes of both.
Done toVersion2(Connection& cnn) {
  const Fetched<bool> ledger = HasTable(cnn, QStringLiteral("TolvaImport"));
  if (!ledger.ok()) return ledger.failure;
  if (!*ledger) {
    if (const Done made = createFromScript(cnn, QStringLiteral("TolvaImport")); !made) return made;
  }
  if (!HasColumn(cnn, QStringLiteral("TolvaLog"), QStringLiteral("ImportNo"))) {
    const Fetched<int> added = cnn.execute(QStringLiteral("ALTER TABLE TolvaLog ADD ImportNo INTEGER"));
    if (!added) return added.failure;
  }
  const Fetched<int> index = cnn.execute(cnn.dialect().createIndexIfMissing(
      QStringLiteral("IX_TolvaLog_TxnDate"), QStringLiteral("TolvaLog"), QStringLiteral("TxnDate")));
  if (!index) return index.failure;
  const QString type = QStringLiteral("TolvaWorkingType");
  if (const Done code = addCode(cnn, type, QStringLiteral("QDR卡交易檔轉入"), QStringLiteral("QDR卡交易檔轉入")); !code) {
    return code;
  }
  return addCode(cnn, type, QStringLiteral("資料庫升級"), QStringLiteral("資料庫結構升級"));
}

// The action code under which a restore of the embedded database is logged.
Done toVersion3(Connection& cnn) {
  return addCode(cnn, QStringLiteral("TolvaWorkingType"), QStringLiteral("資料庫還原"), QStringLiteral("資料庫還原"));
}

// The journal's card index carries the columns the balance sums read, so that refreshing a card
// or summing every card reads the index alone instead of each row of a long history.
Done toVersion4(Connection& cnn) {
  const Dialect& d = cnn.dialect();
  if (const Fetched<int> made = cnn.execute(d.createIndexIfMissing(QStringLiteral("IX_TolvaLog_CardHistory"), QStringLiteral("TolvaLog"),
                                                                   QStringLiteral("CardNo, FileDate, TxnType, TxnDate, TxnAmt, TxnPoint")));
      !made) {
    return made.failure;
  }
  return Done::of(cnn.execute(d.dropIndexIfExists(QStringLiteral("IX_TolvaLog_CardNo"), QStringLiteral("TolvaLog"))));
}

const QList<Step>& steps() {
  static const QList<Step> all = {
      {2, QStringLiteral("版本 2：交易檔轉入記錄、交易日索引"), toVersion2},
      {3, QStringLiteral("版本 3：資料庫還原的作業代碼"), toVersion3},
      {4, QStringLiteral("版本 4：卡片交易索引含金額與點數"), toVersion4},
  };
  return all;
}

Done recordVersion(Connection& cnn, int version) {
  for (const QString& statement : cnn.dialect().schemaVersionStatements(version)) {
    if (const Fetched<int> done = cnn.execute(statement); !done) return done.failure;
  }
  return {};
}

// The steps after `from`, and the version they lead to, in the caller's transaction.
Fetched<QStringList> runSteps(Connection& cnn, int from) {
  QStringList done;
  for (const Step& step : steps()) {
    if (step.to <= from) continue;
    if (const Done ran = step.run(cnn); !ran) return ran.failure();
    done << step.what;
  }
  if (const Done recorded = recordVersion(cnn, kSchemaVersion); !recorded) return recorded.failure();
  return done;
}

}  // namespace

QString NewerSchemaText(int found) {
  return QStringLiteral("資料庫結構版本為 %1，本程式只認得到版本 %2，請使用較新的程式").arg(found).arg(kSchemaVersion);
}

Fetched<int> StoredSchemaVersion(Connection& cnn) {
  const Fetched<bool> cards = HasTable(cnn, kCardTable);
  if (!cards.ok()) return cards.failure;
  if (!*cards) return 0;
  const QString versionTable = cnn.dialect().schemaVersionTable();
  if (!versionTable.isEmpty()) {
    const Fetched<bool> recorded = HasTable(cnn, versionTable);
    if (!recorded.ok()) return recorded.failure;
    if (!*recorded) return 1;
  }
  const Fetched<QVariant> version = cnn.scalar(cnn.dialect().schemaVersionQuery());
  if (!version) return version.failure;
  // SQLite's header says 0 until a version is recorded.
  return std::max(1, version->toInt());
}

Fetched<QStringList> UpgradeSchema(Connection& cnn) {
  Fetched<int> found = StoredSchemaVersion(cnn);
  if (!found) return found.failure;
  if (*found > kSchemaVersion) return Failure{QStringLiteral("-1"), NewerSchemaText(*found)};
  if (*found == 0 || *found == kSchemaVersion) return QStringList();
  TransactionGuard tx(cnn);
  if (!tx.begun()) return tx.begun().failure();
  // Two programs started together upgrade one after the other; the second finds it done.
  if (const QString lock = cnn.dialect().schemaUpgradeLock(); !lock.isEmpty()) {
    if (const Fetched<int> locked = cnn.execute(lock); !locked) return locked.failure;
  }
  found = StoredSchemaVersion(cnn);
  if (!found) return found.failure;
  if (*found >= kSchemaVersion) return QStringList();
  const Fetched<QStringList> done = runSteps(cnn, *found);
  if (!done) return done;
  if (const Done committed = tx.commit(); !committed) return committed.failure();
  return done;
}
