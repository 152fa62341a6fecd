#include "core/Dates.h"
#include "support/Sql.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/Parameters.h"
#include "support/TestEnv.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <optional>

class BasDBTest : public DbTest {
protected:
  int count(const QString& sql) { return Value(gCnn(), sql).toInt(); }
};

TEST_P(BasDBTest, ParametersReadInsertAndUpdate) {
  QString value = QStringLiteral("stale");
  EXPECT_FALSE(ReadParamValue(QStringLiteral("StoreID"), value));  // no row

  ASSERT_TRUE(SetParamValue(QStringLiteral("StoreID"), QStringLiteral("  012 ")));
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT ParamValue, FileDate, UpdDate FROM xxPARAM WHERE ParamID = 'StoreID'"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("012"));
  EXPECT_TRUE(ToDateTime(q.value(1)));
  EXPECT_TRUE(q.value(2).isNull());
  ASSERT_TRUE(ReadParamValue(QStringLiteral("StoreID"), value));
  EXPECT_EQ(value, QStringLiteral("012"));

  // An existing key is updated in place, with UpdDate, and O'Brien survives the quoting.
  ASSERT_TRUE(SetParamValue(QStringLiteral("StoreID"), QStringLiteral("O'B")));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM xxPARAM WHERE ParamID = 'StoreID'")), 1);
  q = Rows(gCnn(), QStringLiteral("SELECT ParamValue, UpdDate FROM xxPARAM WHERE ParamID = 'StoreID'"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("O'B"));
  EXPECT_TRUE(ToDateTime(q.value(1)));

  // An empty or NULL value answers false, so that the caller's default applies.
  ASSERT_TRUE(SetParamValue(QStringLiteral("StoreID"), QString()));
  EXPECT_FALSE(ReadParamValue(QStringLiteral("StoreID"), value));
  EXPECT_TRUE(value.isEmpty());
  Exec(gCnn(), QStringLiteral("INSERT INTO xxPARAM (ParamID) VALUES ('Nothing')"));
  EXPECT_FALSE(ReadParamValue(QStringLiteral("Nothing"), value));
}

TEST_P(BasDBTest, ParameterReadAndLogNeverRaise) {
  gCnn().close();
  QString value;
  EXPECT_FALSE(ReadParamValue(QStringLiteral("StoreID"), value));
  WriteActivityLog(QStringLiteral("tolva"), QStringLiteral("發卡"), QStringLiteral("x"));
  EXPECT_TRUE(dialogs_->shown.empty());
  const QByteArray err = readBytes(TheSettings().errorLogFile);
  EXPECT_TRUE(err.contains("(ReadParamValue)"));
  EXPECT_TRUE(err.contains("(WriteActivityLog)"));
}

TEST_P(BasDBTest, CodeDescriptionsAreSeeded) {
  QString dscp;
  ASSERT_TRUE(CodeDescription(QStringLiteral("TolvaStatus"), QStringLiteral("99"), dscp));
  EXPECT_EQ(dscp, QStringLiteral("黑名單"));
  EXPECT_EQ(CodeDescription(QStringLiteral("TolvaLogType"), QStringLiteral("21")), QStringLiteral("加值"));
  EXPECT_EQ(CodeDescription(QStringLiteral("TolvaWorkingType"), QStringLiteral("補發卡")), QStringLiteral("補發卡片"));
  EXPECT_FALSE(CodeDescription(QStringLiteral("TolvaStatus"), QStringLiteral("55"), dscp));
  EXPECT_TRUE(dscp.isEmpty());
  const QStringList statuses{"01", "11", "12", "81", "99"};
  const QStringList types{"11", "12", "13", "21", "22", "23", "24", "31", "32", "33", "81", "99"};
  for (const QString& c : statuses) EXPECT_FALSE(CodeDescription(QStringLiteral("TolvaStatus"), c).isEmpty()) << c.toStdString();
  for (const QString& c : types) EXPECT_FALSE(CodeDescription(QStringLiteral("TolvaLogType"), c).isEmpty()) << c.toStdString();
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM xxCODE WHERE CodeType = 'TolvaStatus'")), statuses.size());
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM xxCODE WHERE CodeType = 'TolvaLogType'")), types.size());
  // Every action id the windows log has a description.
  for (const char* action : {"發卡", "售出", "加值", "扣抵", "扣點", "補發卡", "沖正", "變更有效日期", "清除", "設定黑名單",
                             "黑名單轉出", "變更加密碼", "部門設定", "系統參數設定", "BASADODB"}) {
    EXPECT_FALSE(CodeDescription(QStringLiteral("TolvaWorkingType"), QString::fromUtf8(action)).isEmpty()) << action;
  }
}

TEST_P(BasDBTest, ApplicationLogWithAndWithoutRemark) {
  WriteActivityLog(QStringLiteral("tolva"), QStringLiteral("加值"), QStringLiteral("卡號：V000001，加值金額：100"));
  WriteActivityLog(QStringLiteral("tolva"), QStringLiteral("加值"), QStringLiteral("it's failed"), QStringLiteral("系統錯誤"));
  WriteActivityLog(QStringLiteral("tolva"), QStringLiteral("清除"), QStringLiteral("卡號：V000002"), QString());
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT UserID, LoginWS, ProgID, ActionID, LogMsg, Remark, FileDate FROM xxAPLOG ORDER BY RNo"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("tester"));
  EXPECT_EQ(q.value(1).toString(), QStringLiteral("WS01"));
  EXPECT_EQ(q.value(2).toString(), QStringLiteral("tolva"));
  EXPECT_EQ(q.value(3).toString(), QStringLiteral("加值"));
  EXPECT_EQ(q.value(4).toString(), QStringLiteral("卡號：V000001，加值金額：100"));
  EXPECT_TRUE(q.value(5).isNull());  // no Remark column in the statement
  EXPECT_TRUE(ToDateTime(q.value(6)));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(4).toString(), QStringLiteral("it's failed"));
  EXPECT_EQ(q.value(5).toString(), QStringLiteral("系統錯誤"));
  ASSERT_TRUE(q.next());
  EXPECT_FALSE(q.value(5).isNull());  // an empty remark is a remark
  EXPECT_EQ(q.value(5).toString(), QString());
  EXPECT_FALSE(q.next());
}

TEST_P(BasDBTest, NumbersAreConsecutivePerCodeAndKey) {
  qint64 n = 0;
  QString text;
  for (int expected = 1; expected <= 3; ++expected) {
    ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text));
    EXPECT_EQ(n, expected);
    EXPECT_EQ(text, QStringLiteral("00000%1").arg(expected));
  }
  ASSERT_TRUE(NextNumber(QStringLiteral("W"), QStringLiteral("Tolva"), n, text));
  EXPECT_EQ(n, 1);  // another code counts on its own
  ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Batch"), n, text));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(count(QStringLiteral("SELECT NoNext FROM xxNO WHERE NoCode = 'V' AND NoBy = 'Tolva'")), 4);
  // A number of seven digits is written in full.
  Exec(gCnn(), QStringLiteral("UPDATE xxNO SET NoNext = 1234567 WHERE NoCode = 'V' AND NoBy = 'Tolva'"));
  ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text));
  EXPECT_EQ(n, 1234567);
  EXPECT_EQ(text, QStringLiteral("1234567"));
}

TEST_P(BasDBTest, ARolledBackNumberIsHandedOutAgain) {
  qint64 n = 0;
  QString text;
  ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text));
  {
    TransactionGuard tx(gCnn());
    ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text));
    EXPECT_EQ(n, 2);
    Must(tx.rollback());
  }
  // Also when the very first draw of a pair (which creates its row) is rolled back.
  {
    TransactionGuard tx(gCnn());
    ASSERT_TRUE(NextNumber(QStringLiteral("X"), QStringLiteral("Tolva"), n, text));
    EXPECT_EQ(n, 1);
  }
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM xxNO WHERE NoCode = 'X'")), 0);
  ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text));
  EXPECT_EQ(n, 2);
  ASSERT_TRUE(NextNumber(QStringLiteral("X"), QStringLiteral("Tolva"), n, text));
  EXPECT_EQ(n, 1);
}

TEST_P(BasDBTest, TwoConnectionsInterleavedGetDistinctNumbers) {
  Connection other;
  Must(other.open(connectionString()));
  qint64 a = 0, b = 0;
  QString text;
  QList<qint64> drawn;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), a, text, gCnn()));
    ASSERT_TRUE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), b, text, other));
    drawn << a << b;
  }
  EXPECT_EQ(drawn, (QList<qint64>{1, 2, 3, 4, 5, 6}));
}

namespace {
// Draws `count` numbers on a connection of its own.
class Drawer : public QThread {
public:
  Drawer(QString cnt, int count) : cnt_(std::move(cnt)), count_(count) {}
  QList<qint64> numbers;
  bool failed = false;

protected:
  void run() override {
    Connection cnn;
    Must(cnn.open(cnt_));
    for (int i = 0; i < count_; ++i) {
      qint64 n = 0;
      QString text;
      // Half of the draws inside a transaction of the caller's, as the issuing windows do.
      std::optional<TransactionGuard> tx;
      if (i % 2) tx.emplace(cnn);
      if (!NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text, cnn)) failed = true;
      if (tx) Must(tx->commit());
      numbers << n;
    }
  }

private:
  QString cnt_;
  int count_;
};
}  // namespace

TEST_P(BasDBTest, ConcurrentDrawsNeverShareANumber) {
  constexpr int kEach = 40;
  Drawer one(connectionString(), kEach), two(connectionString(), kEach);
  one.start();
  two.start();
  ASSERT_TRUE(one.wait(120000));
  ASSERT_TRUE(two.wait(120000));
  EXPECT_FALSE(one.failed);
  EXPECT_FALSE(two.failed);
  QSet<qint64> all;
  for (qint64 n : one.numbers + two.numbers) all.insert(n);
  EXPECT_EQ(all.size(), 2 * kEach);
  for (qint64 n = 1; n <= 2 * kEach; ++n) EXPECT_TRUE(all.contains(n)) << n;
}

TEST_P(BasDBTest, NumberingFailureIsLoggedAndAnswersFalse) {
  EditSettings().appName = QStringLiteral("tolva");
  Exec(gCnn(), QStringLiteral("DROP TABLE xxNO"));
  qint64 n = 0;
  QString text;
  QString error;
  EXPECT_FALSE(NextNumber(QStringLiteral("V"), QStringLiteral("Tolva"), n, text, gCnn(), &error));
  EXPECT_EQ(error, QStringLiteral("編號程序錯誤-NoCode:V/NoBy:Tolva"));
  EXPECT_TRUE(dialogs_->shown.empty());
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT ProgID, ActionID, LogMsg FROM xxAPLOG"));
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("tolva"));
  EXPECT_EQ(q.value(1).toString(), QStringLiteral("BASADODB"));
  EXPECT_EQ(q.value(2).toString(), error);
}

TEST_P(BasDBTest, KeyedLookUp) {
  Exec(gCnn(), QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES ('V000009', '遺失')"));
  QSqlRecord rec;
  ASSERT_TRUE(Must(FindRowByKey(QStringLiteral("VoidCard"), QStringLiteral("CardNo"), QStringLiteral("V000009"), &rec)));
  EXPECT_EQ(rec.value(QStringLiteral("Remark")).toString(), QStringLiteral("遺失"));
  EXPECT_FALSE(Must(FindRowByKey(QStringLiteral("VoidCard"), QStringLiteral("CardNo"), QStringLiteral("V000008"))));
  // A key with an apostrophe is a key, not SQL.
  EXPECT_FALSE(Must(FindRowByKey(QStringLiteral("VoidCard"), QStringLiteral("CardNo"), QStringLiteral("x' OR '1'='1"))));
  // Names that are not plain identifiers and failing statements reach the caller's trap.
  EXPECT_FALSE(FindRowByKey(QStringLiteral("VoidCard; DROP TABLE Tolva"), QStringLiteral("CardNo"), QString()).ok());
  EXPECT_FALSE(FindRowByKey(QStringLiteral("NoSuchTable"), QStringLiteral("CardNo"), QString()).ok());
}

TOLVA_DB_TEST_SUITE(BasDBTest);
