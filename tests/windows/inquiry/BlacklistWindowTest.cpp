// The blacklisting window on each database: the three rows it writes together or not at all,
// and the cards it refuses.
#include "support/IssueFixture.h"

#include "core/ErrorReport.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/TextTable.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/inquiry/BlacklistWindow.h"
#include "support/Screenshot.h"

#include <QLineEdit>
#include <QSqlQuery>

class DelCardTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
    window_ = std::make_unique<BlacklistWindow>();
  }
  void TearDown() override {
    window_.reset();
    IssueTest::TearDown();
  }

  QLineEdit* field(const char* name) const { return window_->field(QString::fromLatin1(name)); }
  // Types the number and leaves the field (when `lookUp`), types the reason, presses the button.
  void setBlack(const QString& cardNo, const QString& reason, bool lookUp = true) {
    field("txtCardNo")->setText(cardNo);
    if (lookUp) FieldBehaviour::of(field("txtCardNo"))->validate();
    field("txtRemark")->setText(reason);
    dialogs_->clear();
    dialogs_->yesNoAnswers = {true};  // "確定將卡號 X 設為黑名單？"
    window_->blacklistCard();
  }
  // The rows of one card as "status|VoidCard rows|type 99 rows".
  QString rows(const QString& cardNo) const {
    const QString where = QStringLiteral(" WHERE CardNo = ") + QuotText(cardNo);
    return status(cardNo) + QStringLiteral("|%1|%2")
                                .arg(count(QStringLiteral("SELECT COUNT(*) FROM VoidCard") + where))
                                .arg(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog") + where +
                                           QStringLiteral(" AND TxnType = '99'")));
  }
  QString lastMsg() const {
    const QStringList shown = dialogs_->texts(QStringLiteral("showMsg"));
    return shown.isEmpty() ? QString() : shown.last();
  }

  std::unique_ptr<BlacklistWindow> window_;
};

TEST_P(DelCardTest, WritesTheThreeRowsAndShowsTheCardAgain) {
  gCnn().execute(QStringLiteral("UPDATE Tolva SET Remark = 'old' WHERE CardNo = 'V000001'"));
  field("txtCardNo")->setText(QStringLiteral("V000001"));
  ASSERT_TRUE(FieldBehaviour::of(field("txtCardNo"))->validate());
  EXPECT_EQ(field("txtRemark")->text(), QStringLiteral("old"));  // the stored remark, to be typed over
  setBlack(QStringLiteral("V000001"), QStringLiteral("遺失"));
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("99|1|1"));
  QSqlQuery q = gCnn().query(QStringLiteral("SELECT T.Remark, V.Remark, L.Remark, L.TxnDept, L.POSID, L.UserID "
                                            "FROM Tolva T, VoidCard V, TolvaLog L WHERE T.CardNo = 'V000001'"));
  ASSERT_TRUE(q.next());
  QStringList got;
  for (int i = 0; i < 6; ++i) got << q.value(i).toString();
  EXPECT_EQ(got.join(QLatin1Char('|')), QStringLiteral("遺失|遺失|遺失|100|POS1|clerk"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("設定完成，卡號：V000001"));
  EXPECT_EQ(field("txtStatus")->text(), QStringLiteral("99"));
  EXPECT_EQ(window_->fgCardLog()->rows(), 2);
  SaveScreenshot(window_.get(), QStringLiteral("fmDelCard"));
  EXPECT_EQ(apLog(QStringLiteral("設定黑名單")), QStringList{QStringLiteral("卡號：V000001，原因：遺失|")});

  // Shown as blacklisted now: refused before anything is written, and logged as a refusal.
  setBlack(QStringLiteral("V000001"), QStringLiteral("again"));
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡號已設為黑名單"));
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("99|1|1"));
  EXPECT_EQ(apLog(QStringLiteral("設定黑名單")).last(), QStringLiteral("此卡號已設為黑名單，卡號：V000001|作業拒絕"));

  // An empty reason is stored as an empty text in all three rows.
  addMaster(QStringLiteral("V000002"), QStringLiteral("81"));
  setBlack(QStringLiteral("V000002"), QString());
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = 'V000002' AND Remark = ''")) +
                count(QStringLiteral("SELECT COUNT(*) FROM VoidCard WHERE CardNo = 'V000002' AND Remark = ''")) +
                count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE CardNo = 'V000002' AND Remark = ''")),
            3);
}

TEST_P(DelCardTest, RefusesUnknownAndBlacklistedNumbersWhateverTheScreenShows) {
  setBlack(QStringLiteral("   "), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("請輸入卡號"));
  // The operator is asked before a number is cancelled; No changes nothing.
  field("txtCardNo")->setText(QStringLiteral("V000001"));
  dialogs_->clear();
  dialogs_->yesNoAnswers = {false};
  window_->blacklistCard();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("確定將卡號 V000001 設為黑名單？")});
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("11|0|0"));
  setBlack(QStringLiteral("V999999"), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("資料庫存檔錯誤"));
  EXPECT_EQ(rows(QStringLiteral("V999999")), QStringLiteral("|0|0"));

  // Blacklisted in the database, never looked up: the status field is empty.
  addMaster(QStringLiteral("V000003"), QStringLiteral("99"));
  setBlack(QStringLiteral("V000003"), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡號已設為黑名單"));
  EXPECT_EQ(rows(QStringLiteral("V000003")), QStringLiteral("99|0|0"));
  EXPECT_EQ(field("txtStatus")->text(), QStringLiteral("99"));  // the screen shows it now

  // Looked up while sold, then blacklisted at another workstation before the button.
  field("txtCardNo")->setText(QStringLiteral("V000001"));
  ASSERT_TRUE(FieldBehaviour::of(field("txtCardNo"))->validate());
  gCnn().execute(QStringLiteral("UPDATE Tolva SET Status = '99' WHERE CardNo = 'V000001'"));
  setBlack(QStringLiteral("V000001"), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡號已設為黑名單"));
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("99|0|0"));
  EXPECT_EQ(apLog(QStringLiteral("設定黑名單")),
            (QStringList{QStringLiteral("請輸入卡號，卡號：|作業拒絕"), QStringLiteral("未設定黑名單，卡號：V000001|作業拒絕"),
                         QStringLiteral("資料庫無此卡號，卡號：V999999|作業拒絕"),
                         QStringLiteral("此卡號已設為黑名單，卡號：V000003|作業拒絕"),
                         QStringLiteral("此卡號已設為黑名單，卡號：V000001|作業拒絕")}));
}

TEST_P(DelCardTest, AFailedWriteOrCommitLeavesNoneOfTheRows) {
  const auto attempt = [&](const QString& failing, const QString& logged) {
    if (!failing.isEmpty()) {
      Connection::setStatementHookForTest([failing](Connection&, const QString& sql) {
        if (sql.contains(failing, Qt::CaseInsensitive) && !sql.startsWith(QStringLiteral("Select"), Qt::CaseInsensitive)) {
          throw TolvaError(QStringLiteral("-1"), QStringLiteral("refused by the test"));
        }
      });
    }
    setBlack(QStringLiteral("V000001"), QStringLiteral("遺失"));
    Connection::setStatementHookForTest(nullptr);
    const std::string where = failing.isEmpty() ? "commit" : failing.toStdString();
    EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("11|0|0")) << where;
    EXPECT_EQ(lastMsg(), QStringLiteral("資料庫存檔錯誤")) << where;
    EXPECT_FALSE(gCnn().inTransaction()) << where;
    EXPECT_EQ(apLog(QStringLiteral("設定黑名單")).last(), logged + QStringLiteral("，卡號：V000001|系統錯誤")) << where;
  };
  attempt(QStringLiteral("Update Tolva"), QStringLiteral("資料庫存檔錯誤"));
  attempt(QStringLiteral("INSERT INTO VoidCard"), QStringLiteral("黑名單寫入失敗"));
  attempt(QStringLiteral("INSERT INTO TolvaLog"), QStringLiteral("Tolva記錄檔寫入失敗"));
  refuseCommitsWriting(QStringLiteral("VoidCard"));
  attempt(QString(), QStringLiteral("資料庫存檔錯誤"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);  // the refused commit's report
}

TOLVA_DB_TEST_SUITE(DelCardTest);
