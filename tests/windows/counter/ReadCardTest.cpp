#include "support/CardFixture.h"

#include "core/Settings.h"
#include "windows/counter/MainWindow.h"
#include "support/CardSim.h"
#include "support/Screenshot.h"

#include <QLineEdit>
#include <QPushButton>

class ReadCardTest : public CardTest {
protected:
  QStringList values(const MainWindow& w) const {
    QStringList out;
    for (const char* f : {"txtCardNo", "txtDeptNo", "txtBatchNo", "txtGoodThru", "txtBalAmt", "txtBalPoint"}) {
      out << w.field(QString::fromLatin1(f))->text();
    }
    return out;
  }
};

TEST_F(ReadCardTest, FillsTheSixFieldsFromTheStripe) {
  InsertRecordCard(QStringLiteral("V00012"), QStringLiteral("01"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("1500"), QStringLiteral("30"));
  MainWindow w;
  ASSERT_TRUE(w.button(QStringLiteral("cmdReadCard"))->isEnabled());
  w.button(QStringLiteral("cmdReadCard"))->click();
  // Card and store numbers come as the stripe holds them, blanks included.
  EXPECT_EQ(values(w), (QStringList{QStringLiteral("V00012 "), QStringLiteral("01 "), QStringLiteral("V0001"),
                                    QStringLiteral("2027/12/31"), QStringLiteral("1500"), QStringLiteral("30")}));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("showMessage")).isEmpty());
  EditSettings().batchKey = QStringLiteral("AB12");
  SaveScreenshot(&w, QStringLiteral("fmTolva-read"));
}

TEST_F(ReadCardTest, FailuresShowTheirReasonAndKeepTheFields) {
  MainWindow w;
  for (const char* f : {"txtCardNo", "txtDeptNo", "txtBatchNo", "txtGoodThru", "txtBalAmt", "txtBalPoint"}) {
    w.field(QString::fromLatin1(f))->setText(QStringLiteral("keep"));
  }
  dialogs_->cancelWaitAfterPolls = 2;
  w.readCard();
  SimCard erased;
  erased.tracks[0] = " ";
  InsertTestCard(erased);
  w.readCard();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), (QStringList{QStringLiteral("取消作業"), QStringLiteral("卡片資料有誤")}));
  EXPECT_EQ(values(w), QStringList(6, QStringLiteral("keep")));
}
