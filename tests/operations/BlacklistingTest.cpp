// Blacklisting without a window: the master row, the blacklist and the journal row written
// together or not at all, and the numbers refused.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"
#include "db/Database.h"
#include "operations/Blacklisting.h"

#include <QSqlQuery>

class BlacklistingTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  }
  static Outcome blacklistCard(const QString& cardNo, const QString& reason) {
    return BlacklistCard(ctx(), cardNo, reason);
  }
  // The rows of one card as "status|VoidCard rows|type 99 rows".
  QString rows(const QString& cardNo) const {
    const QString where = QStringLiteral(" WHERE CardNo = ") + QuotText(cardNo);
    return status(cardNo) + QStringLiteral("|%1|%2")
                                .arg(count(QStringLiteral("SELECT COUNT(*) FROM VoidCard") + where))
                                .arg(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog") + where +
                                           QStringLiteral(" AND TxnType = '99'")));
  }
};

TEST_P(BlacklistingTest, WritesTheThreeRowsOnce) {
  EXPECT_TRUE(blacklistCard(QStringLiteral("V000001"), QStringLiteral("遺失")).ok);
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("99|1|1"));
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT T.Remark, V.Remark, L.Remark, L.TxnDept, L.POSID, L.UserID "
                                            "FROM Tolva T, VoidCard V, TolvaLog L WHERE T.CardNo = 'V000001'"));
  ASSERT_TRUE(q.next());
  QStringList got;
  for (int i = 0; i < 6; ++i) got << q.value(i).toString();
  EXPECT_EQ(got.join(QLatin1Char('|')), QStringLiteral("遺失|遺失|遺失|100|POS1|clerk"));

  // Blacklisted already, or no such number: refused before anything is written.
  addMaster(QStringLiteral("V000003"), QStringLiteral("99"));
  EXPECT_EQ(blacklistCard(QStringLiteral("V000001"), QStringLiteral("again")).message, kAlreadyBlacklisted);
  EXPECT_EQ(blacklistCard(QStringLiteral("V000003"), QStringLiteral("x")).message, kAlreadyBlacklisted);
  EXPECT_EQ(blacklistCard(QStringLiteral("V999999"), QStringLiteral("x")).message, kNoSuchCardNumber);
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("99|1|1"));
  EXPECT_EQ(rows(QStringLiteral("V000003")), QStringLiteral("99|0|0"));
  EXPECT_EQ(rows(QStringLiteral("V999999")), QStringLiteral("|0|0"));
  EXPECT_EQ(apLog(QStringLiteral("設定黑名單")),
            (QStringList{QStringLiteral("卡號：V000001，原因：遺失|"), QStringLiteral("此卡號已設為黑名單，卡號：V000001|作業拒絕"),
                         QStringLiteral("此卡號已設為黑名單，卡號：V000003|作業拒絕"),
                         QStringLiteral("資料庫無此卡號，卡號：V999999|作業拒絕")}));

  // An empty reason is stored as an empty text in all three rows.
  addMaster(QStringLiteral("V000002"), QStringLiteral("81"));
  EXPECT_TRUE(blacklistCard(QStringLiteral("V000002"), QString()).ok);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = 'V000002' AND Remark = ''")) +
                count(QStringLiteral("SELECT COUNT(*) FROM VoidCard WHERE CardNo = 'V000002' AND Remark = ''")) +
                count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE CardNo = 'V000002' AND Remark = ''")),
            3);
}

TEST_P(BlacklistingTest, AFailedWriteOrCommitLeavesNoneOfTheRows) {
  const auto attempt = [&](const QString& failing, const QString& logged) {
    if (!failing.isEmpty()) {
      SetStatementHookForTest([failing](Connection&, const QString& sql) {
        if (sql.contains(failing, Qt::CaseInsensitive) && !sql.startsWith(QStringLiteral("Select"), Qt::CaseInsensitive)) {
          throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
        }
      });
    }
    const Outcome out = blacklistCard(QStringLiteral("V000001"), QStringLiteral("遺失"));
    SetStatementHookForTest(nullptr);
    const std::string where = failing.isEmpty() ? "commit" : failing.toStdString();
    EXPECT_FALSE(out.ok) << where;
    EXPECT_EQ(out.message, logged) << where;
    EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("11|0|0")) << where;
    EXPECT_FALSE(gCnn().inTransaction()) << where;
    EXPECT_EQ(apLog(QStringLiteral("設定黑名單")).last(), logged + QStringLiteral("，卡號：V000001|系統錯誤")) << where;
  };
  attempt(QStringLiteral("Update Tolva"), QStringLiteral("資料庫存檔錯誤"));
  attempt(QStringLiteral("INSERT INTO VoidCard"), QStringLiteral("黑名單寫入失敗"));
  attempt(QStringLiteral("INSERT INTO TolvaLog"), QStringLiteral("Tolva記錄檔寫入失敗"));
  refuseCommitsWriting(QStringLiteral("VoidCard"));
  attempt(QString(), QStringLiteral("資料庫存檔錯誤"));
}

TOLVA_DB_TEST_SUITE(BlacklistingTest);
