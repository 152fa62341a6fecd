#include "db/SqliteCopy.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "support/Sql.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <atomic>
#include <sqlite3.h>
#include <thread>

// `tolva --backup` and `--restore` on the database of the test, run as processes of their own.
class BackupTest : public DbTest {
protected:
  int run(const QStringList& args, QStringList& lines, QString* errors = nullptr) {
    return RunProgram(dir_->path(), cnt_, args, lines, errors);
  }
  static qint64 rows(Connection& cnn, const char* sql) { return Value(cnn, QString::fromLatin1(sql)).toLongLong(); }
};

// A second connection that writes a card and its journal row in one transaction, again and
// again, until told to stop: a consistent copy holds as many of the one as of the other.
class PairWriter {
public:
  explicit PairWriter(const QString& file) {
    thread_ = std::thread([this, name = QFile::encodeName(file)] {
      sqlite3* db = nullptr;
      sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
      sqlite3_busy_timeout(db, 15000);
      for (int i = 0; !stop_; ++i) {
        const QByteArray sql = QStringLiteral("BEGIN IMMEDIATE; INSERT INTO Tolva (CardNo, Status) VALUES ('W%1', '01'); "
                                              "INSERT INTO TolvaLog (TxnType, CardNo) VALUES ('11', 'W%1'); COMMIT;")
                                   .arg(i)
                                   .toUtf8();
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK) ++written_;
      }
      sqlite3_close(db);
    });
  }
  ~PairWriter() { stop(); }
  int stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return written_;
  }

private:
  std::atomic<bool> stop_{false};
  std::atomic<int> written_{0};
  std::thread thread_;
};

TEST_P(BackupTest, ACopyTakenWhileAnotherConnectionWritesIsWholeAndRestores) {
  QStringList lines;
  QString errors;
  const QString copy = path(QStringLiteral("copy.db"));
  if (isPostgres()) {
    EXPECT_EQ(run({QStringLiteral("--backup"), copy}, lines, &errors), 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("pg_dump")));
    EXPECT_EQ(run({QStringLiteral("--restore"), copy}, lines, &errors), 2);
    return;
  }
  int written = 0;
  {
    PairWriter writer(path(QStringLiteral("tolva.db")));
    while (rows(gCnn(), "SELECT COUNT(*) FROM Tolva") < 20) std::this_thread::yield();
    ASSERT_EQ(run({QStringLiteral("--backup"), copy}, lines, &errors), 0) << errors.toStdString();
    written = writer.stop();
  }
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("已備份到 ")));
  Connection copied;
  ASSERT_TRUE(OpenConnection(QStringLiteral("Provider=SQLite;Data Source=") + copy + QStringLiteral(";Mode=Read"), copied));
  const qint64 cards = rows(copied, "SELECT COUNT(*) FROM Tolva");
  EXPECT_EQ(cards, rows(copied, "SELECT COUNT(*) FROM TolvaLog"));
  EXPECT_GE(cards, 20);
  EXPECT_LT(cards, written);
  // The counts printed are the copy's.
  EXPECT_TRUE(lines.contains(QStringLiteral("Tolva\t") + QString::number(cards))) << lines.join(u'|').toStdString();
  copied.close();

  // Refused while a window of the folder runs; restored once none does.
  gCnn().close();
  {
    QLockFile window(path(QStringLiteral("tolva.lck")));
    ASSERT_TRUE(window.tryLock(0));
    EXPECT_EQ(run({QStringLiteral("--restore"), copy}, lines, &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("請先結束程式"))) << errors.toStdString();
  }
  ASSERT_EQ(run({QStringLiteral("--restore"), copy}, lines, &errors), 0) << errors.toStdString();
  EXPECT_EQ(QDir(dir_->path()).entryList({QStringLiteral("tolva.db.replaced-*")}).size(), 1);
  ASSERT_TRUE(OpenConnection(cnt_, gCnn()));
  EXPECT_EQ(rows(gCnn(), "SELECT COUNT(*) FROM Tolva"), cards);
  // A file that is not a database of this system is refused, and the database stays.
  QFile junk(path(QStringLiteral("junk.db")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a database");
  junk.close();
  gCnn().close();
  EXPECT_EQ(run({QStringLiteral("--restore"), junk.fileName()}, lines, &errors), 1);
  ASSERT_TRUE(OpenConnection(cnt_, gCnn()));
  EXPECT_EQ(rows(gCnn(), "SELECT COUNT(*) FROM Tolva"), cards);
}

TOLVA_DB_TEST_SUITE(BackupTest);
