// The blacklisting window on each database: the card looked up, the question, what it tells and
// shows afterwards. Blacklisting's own rules are tested in tests/operations/BlacklistingTest.cpp.
#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/TextTable.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/inquiry/BlacklistWindow.h"
#include "support/Screenshot.h"

#include <QLineEdit>

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
    const QStringList shown = dialogs_->texts(QStringLiteral("showMessage"));
    return shown.isEmpty() ? QString() : shown.last();
  }

  std::unique_ptr<BlacklistWindow> window_;
};

TEST_P(DelCardTest, BlacklistsTheNumberAndShowsTheCardAgain) {
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Remark = 'old' WHERE CardNo = 'V000001'"));
  field("txtCardNo")->setText(QStringLiteral("V000001"));
  ASSERT_TRUE(FieldBehaviour::of(field("txtCardNo"))->validate());
  EXPECT_EQ(field("txtRemark")->text(), QStringLiteral("old"));  // the stored remark, to be typed over
  setBlack(QStringLiteral("V000001"), QStringLiteral("遺失"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("確定將卡號 V000001 設為黑名單？")});
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("99|1|1"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("設定完成，卡號：V000001"));
  EXPECT_EQ(field("txtStatus")->text(), QStringLiteral("99"));
  EXPECT_EQ(field("txtRemark")->text(), QStringLiteral("遺失"));
  EXPECT_EQ(window_->fgCardLog()->rows(), 2);
  SaveScreenshot(window_.get(), QStringLiteral("fmDelCard"));

  // Shown as blacklisted now: refused before the operator is asked, and logged as a refusal.
  setBlack(QStringLiteral("V000001"), QStringLiteral("again"));
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡號已設為黑名單"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("askYesNo")).isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("設定黑名單")).last(), QStringLiteral("此卡號已設為黑名單，卡號：V000001|作業拒絕"));
}

TEST_P(DelCardTest, RefusalsBeforeAndAfterTheQuestionAreShown) {
  setBlack(QStringLiteral("   "), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("請輸入卡號"));
  // The operator is asked before a number is cancelled; No changes nothing.
  field("txtCardNo")->setText(QStringLiteral("V000001"));
  dialogs_->clear();
  dialogs_->yesNoAnswers = {false};
  window_->blacklistCard();
  EXPECT_EQ(rows(QStringLiteral("V000001")), QStringLiteral("11|0|0"));
  // What the database turns down is told as a failed save.
  setBlack(QStringLiteral("V999999"), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("資料庫存檔錯誤"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("資料庫無此卡號"));
  // Blacklisted in the database, never looked up: the screen shows it now.
  addMaster(QStringLiteral("V000003"), QStringLiteral("99"));
  setBlack(QStringLiteral("V000003"), QStringLiteral("x"), false);
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡號已設為黑名單"));
  EXPECT_EQ(field("txtStatus")->text(), QStringLiteral("99"));
  EXPECT_EQ(apLog(QStringLiteral("設定黑名單")).mid(0, 2),
            (QStringList{QStringLiteral("請輸入卡號，卡號：|作業拒絕"), QStringLiteral("未設定黑名單，卡號：V000001|作業拒絕")}));
}

TOLVA_DB_TEST_SUITE(DelCardTest);
