// The erase window on each database with the simulated reader: the number's check, the list of
// numbers erased in this window (each once), the reason chosen, and what it tells. The erase's
// own rules are tested in tests/operations/CardEraseTest.cpp.
#include "support/Sql.h"
#include "support/IssueFixture.h"

#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "windows/inquiry/EraseWindow.h"

#include <QLineEdit>
#include <QRadioButton>

class EraseCardTest : public IssueTest {
protected:
  void SetUp() override {
    IssueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = std::make_unique<EraseWindow>();
  }
  void TearDown() override {
    window_.reset();
    IssueTest::TearDown();
  }

  // Types the number, leaves the field and presses 清除.
  void erase(const QString& typed) {
    window_->txtCardNo()->setText(typed);
    if (window_->checkCardNumber()) window_->eraseCard();
  }
  int erasedRows(const QString& cardNo) {
    return count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnType = '81' AND CardNo = ") + QuotText(cardNo));
  }
  QStringList listed() {
    QStringList numbers;
    for (int r = 1; r < window_->fgLog()->rows(); ++r) numbers << window_->fgLog()->textMatrix(r, 0);
    return numbers;
  }

  QString lastMsg() const {
    const QStringList shown = dialogs_->texts(QStringLiteral("showMessage"));
    return shown.isEmpty() ? QString() : shown.last();
  }

  std::unique_ptr<EraseWindow> window_;
};

TEST_P(EraseCardTest, ErasesTheTypedCardOncePerWindowWithTheChosenReason) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  addMaster(QStringLiteral("V000002"), QStringLiteral("11"));
  insertCard(QStringLiteral("V000001"));
  erase(QStringLiteral("v000001"));  // upper-cased on leaving the field
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("81"));
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'V000001'")).toString(), QStringLiteral("消磁"));
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("已清除，卡號：V000001"));

  // The same number again in this window is refused before a card is asked for.
  const int waits = dialogs_->texts(QStringLiteral("waitForCard")).size();
  erase(QStringLiteral("V000001"));
  EXPECT_EQ(lastMsg(), QStringLiteral("已做過清除作業"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")).size(), waits);
  EXPECT_EQ(erasedRows(QStringLiteral("V000001")), 1);

  // The other reason; the list shows the newest first.
  window_->optClearType(1)->setChecked(true);
  insertCard(QStringLiteral("V000002"));
  erase(QStringLiteral("V000002"));
  EXPECT_EQ(scalar(QStringLiteral("SELECT Remark FROM Tolva WHERE CardNo = 'V000002'")).toString(), QStringLiteral("回收"));
  EXPECT_EQ(listed(), (QStringList{QStringLiteral("V000002"), QStringLiteral("V000001")}));
  EXPECT_TRUE(apLog(QStringLiteral("清除")).contains(QStringLiteral("已做過清除作業，卡號：V000001|作業拒絕")));
}

TEST_P(EraseCardTest, RefusalsAndFailuresAreShownAndNotListed) {
  addMaster(QStringLiteral("V000001"), QStringLiteral("11"));
  window_->txtCardNo()->setText(QStringLiteral("V0000011"));
  EXPECT_FALSE(window_->checkCardNumber());
  EXPECT_EQ(window_->elaMsg()->caption(), QStringLiteral("卡號長度不可大於7碼"));
  window_->eraseCard();  // the button does not get round the field
  erase(QStringLiteral("V000009"));
  EXPECT_EQ(lastMsg(), QStringLiteral("資料庫內無此卡號"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());

  insertCard(QStringLiteral("V000001"));
  SimCard c = SlotCard();
  c.fault = QString::fromLatin1(kFaultWriteFails);
  SaveTestCard(c);
  dialogs_->clear();
  erase(QStringLiteral("V000001"));
  EXPECT_FALSE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty());
  EXPECT_EQ(status(QStringLiteral("V000001")), QStringLiteral("11"));
  EXPECT_TRUE(listed().isEmpty());
  EXPECT_EQ(apLog(QStringLiteral("清除")).first(), QStringLiteral("卡號長度不可大於7碼，卡號：V0000011|作業拒絕"));
}

TOLVA_DB_TEST_SUITE(EraseCardTest);
