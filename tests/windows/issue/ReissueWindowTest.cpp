// The re-issue window on each database with the simulated reader: the old card shown, the typed
// numbers upper-cased, and what it tells of a re-issue, a refusal and a failed card. The
// re-issue's own rules are tested in tests/operations/CardReissueTest.cpp.
#include "support/Sql.h"
#include "support/IssueFixture.h"

#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/CardMessagePanel.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/issue/ReissueWindow.h"

#include <QLineEdit>
#include <QPushButton>

class ReIssueCardTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = std::make_unique<ReissueWindow>();
    window_->txtNewCardType()->setText(QStringLiteral("w"));
  }
  void TearDown() override {
    window_.reset();
    IssueTest::TearDown();
  }

  // Loads the old card, puts a blank card (with `fault`) into the reader and presses 補發卡,
  // answering Yes.
  void reIssue(const QString& oldCardNo, const QString& fault = QString()) {
    window_->txtOCardNo()->setText(oldCardNo);
    ASSERT_TRUE(window_->checkOldCardNumber());
    SimCard blank;
    blank.fault = fault;
    InsertTestCard(blank);
    dialogs_->yesNoAnswers.push_back(true);
    window_->reissueCard();
  }
  QString replacement(const QString& oldCardNo) {
    return scalar(QStringLiteral("SELECT CardNo FROM Tolva WHERE OCardNo = ") + QuotText(oldCardNo)).toString();
  }
  int rows() { return count(QStringLiteral("SELECT COUNT(*) FROM Tolva")); }

  QString lastMsg() const {
    const QStringList shown = dialogs_->texts(QStringLiteral("showMessage"));
    return shown.isEmpty() ? QString() : shown.last();
  }

  std::unique_ptr<ReissueWindow> window_;
};

TEST_P(ReIssueCardTest, ReplacesATakenBackCardAndRefusesASecondReplacement) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"), QStringLiteral("1000"), QStringLiteral("30"));
  EXPECT_TRUE(window_->cmdIsuCard()->isHidden());
  window_->txtRemark()->setText(QStringLiteral("AB"));
  window_->msgPanel()->line(0)->setText(QStringLiteral("歡迎光臨"));
  reIssue(QStringLiteral("v000001"));  // typed in lower case, and the new type too
  EXPECT_FALSE(window_->cmdIsuCard()->isHidden());
  EXPECT_EQ(window_->field(QStringLiteral("txtStatusDscp"))->text(), QStringLiteral("已清除"));
  EXPECT_EQ(window_->field(QStringLiteral("txtBalPoint"))->text(), QStringLiteral("30"));
  EXPECT_EQ(replacement(QStringLiteral("V000001")), QStringLiteral("W000001"));
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'W000001'")).toString(), QStringLiteral("AB"));
  EXPECT_TRUE(SlotCard().face.contains(QStringLiteral("歡迎光臨"))) << SlotCard().face.toStdString();
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("已補發，新卡卡號：W000001"));

  window_->reissueCard();
  EXPECT_EQ(lastMsg(), QStringLiteral("此卡已補發過，新卡卡號：W000001"));
  EXPECT_EQ(rows(), 2);
}

TEST_P(ReIssueCardTest, RefusalsAreShownAndAnUnknownNumberIsSaidOnLeavingTheField) {
  addMaster(QStringLiteral("V000011"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000099"), QStringLiteral("99"));
  reIssue(QStringLiteral("V000011"));
  EXPECT_TRUE(lastMsg().startsWith(QStringLiteral("不可補發卡（此卡狀態為11 "))) << lastMsg().toStdString();
  // The operator answers No at the confirmation: nothing more is said.
  dialogs_->clear();
  dialogs_->yesNoAnswers.clear();
  window_->txtOCardNo()->setText(QStringLiteral("V000099"));
  ASSERT_TRUE(window_->checkOldCardNumber());
  window_->reissueCard();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 1);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty());
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
  window_->txtOCardNo()->setText(QStringLiteral("V000404"));
  EXPECT_FALSE(window_->checkOldCardNumber());
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("資料庫無此卡號"));
  EXPECT_EQ(rows(), 2);
}

TEST_P(ReIssueCardTest, AFailedCardIsToldWithTheNewNumber) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("81"));
  reIssue(QStringLiteral("V000001"), QString::fromLatin1(kFaultPrintFails));
  EXPECT_EQ(rows(), 1);
  ASSERT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).first().contains(QStringLiteral("卡號:W000001")));
}

TOLVA_DB_TEST_SUITE(ReIssueCardTest);
