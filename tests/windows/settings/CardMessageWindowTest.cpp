#include "core/CodePage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "windows/settings/CardMessageWindow.h"
#include "ui/CardMessagePanel.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QLineEdit>

class CardMsgTest : public AppTest {
protected:
  void writeAnsi(const QString& name, const QString& text) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(CodePage::toAnsi(text));
  }
  QStringList lines(const CardMessageWindow& w) const {
    QStringList out;
    for (const QLineEdit* l : w.msgPanel()->lines()) out << l->text();
    return out;
  }
};

TEST_F(CardMsgTest, ThreeLinesFillTheFirstThreeBoxesAndLeaveTheRest) {
  writeAnsi(QStringLiteral("m.txt"), QStringLiteral("歡迎光臨\r\n滿千送百\r\n第三行\r\n"));
  CardMessageWindow w;
  for (QLineEdit* l : w.msgPanel()->lines()) l->setText(QStringLiteral("old"));
  w.txtFile()->setText(path(QStringLiteral("m.txt")));
  w.loadMessages();
  EXPECT_EQ(lines(w), (QStringList{QStringLiteral("歡迎光臨"), QStringLiteral("滿千送百"), QStringLiteral("第三行"),
                                   QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old")}));
  EXPECT_EQ(w.msgPanel()->line(0)->objectName(), QStringLiteral("txtMsg1"));
}

TEST_F(CardMsgTest, SavingSixEmptyBoxesWritesFiveEmptyLinesAndAFinalBreak) {
  CardMessageWindow w;
  w.txtFile()->setText(path(QStringLiteral("out.txt")));
  w.saveMessages();
  EXPECT_EQ(readBytes(path(QStringLiteral("out.txt"))), QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n"));
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔完成"));

  w.msgPanel()->line(0)->setText(QStringLiteral("卡友日|加倍送"));
  w.msgPanel()->line(5)->setText(QStringLiteral("末行"));
  w.saveMessages();
  EXPECT_EQ(readBytes(path(QStringLiteral("out.txt"))),
            CodePage::toAnsi(QStringLiteral("卡友日|加倍送\r\n\r\n\r\n\r\n\r\n末行\r\n")));
  // A line holding "|" comes back split over two boxes.
  w.msgPanel()->clearLines();
  w.loadMessages();
  EXPECT_EQ(lines(w), (QStringList{QStringLiteral("卡友日"), QStringLiteral("加倍送"), QString(), QString(), QString(),
                                   QString()}));
  EXPECT_EQ(w.msgPanel()->faceText(), QStringLiteral("卡友日\n加倍送\n\n\n\n\n"));

  // A character the code page cannot hold is not quietly turned into another one.
  const QByteArray before = readBytes(path(QStringLiteral("out.txt")));
  w.msgPanel()->line(2)->setText(QStringLiteral("週年慶\U0001F600"));
  w.saveMessages();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔失敗"));
  EXPECT_EQ(readBytes(path(QStringLiteral("out.txt"))), before);
}

TEST_F(CardMsgTest, MissingNamesAndFilesSaySoAndKeepTheBoxes) {
  CardMessageWindow w;
  EXPECT_EQ(w.txtFile()->text(), TheSettings().cardMessageFile);
  w.msgPanel()->line(0)->setText(QStringLiteral("keep"));
  w.txtFile()->setText(QStringLiteral("   "));
  w.loadMessages();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("請輸入檔案名稱"));
  w.saveMessages();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("未輸入檔案名稱"));
  w.txtFile()->setText(path(QStringLiteral("none.txt")));
  w.loadMessages();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("檔案不存在"));
  EXPECT_EQ(w.msgPanel()->line(0)->text(), QStringLiteral("keep"));
  w.txtFile()->setText(path(QStringLiteral("no/such/dir/out.txt")));
  w.saveMessages();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔失敗"));
}

TEST_F(CardMsgTest, DoubleClickChoosesAFileAndLoadsIt) {
  writeAnsi(QStringLiteral("pick.txt"), QStringLiteral("選到的檔案\r\n"));
  CardMessageWindow w;
  dialogs_->fileAnswers.push_back(path(QStringLiteral("pick.txt")));
  w.chooseMessageFile();
  EXPECT_EQ(w.txtFile()->text(), path(QStringLiteral("pick.txt")));
  EXPECT_EQ(w.msgPanel()->line(0)->text(), QStringLiteral("選到的檔案"));
  w.msgPanel()->line(1)->setText(QStringLiteral("第二行促銷訊息"));
  SaveScreenshot(&w, QStringLiteral("fmCardMsg"));
}

TEST_F(CardMsgTest, LeavingTypedLinesAsksAndYesPutsTheSavedLinesBack) {
  CardMessageWindow w;
  w.show();
  w.txtFile()->setText(path(QStringLiteral("m.txt")));
  w.msgPanel()->line(0)->setText(QStringLiteral("滿千送百"));
  w.closeWindow();  // scripted "No"
  EXPECT_TRUE(w.isVisible());
  w.saveMessages();
  w.msgPanel()->line(1)->setText(QStringLiteral("未存"));
  dialogs_->yesNoAnswers.push_back(true);
  w.closeWindow();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(lines(w)[0], QStringLiteral("滿千送百"));
  EXPECT_TRUE(lines(w)[1].isEmpty());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 2);
}
