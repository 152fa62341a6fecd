#include "device/CardKey.h"
#include "support/Sql.h"
#include "app/CardSettings.h"
#include "core/Settings.h"
#include "windows/settings/CardKeyWindow.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

class SetBatchKeyTest : public DbTest {
protected:
  // The operator types the key into both fields.
  static void type(CardKeyWindow& w, const QString& key) {
    w.txtBatchKey()->setText(key);
    w.txtBatchKey2()->setText(key);
  }
  QString storedKey() { return Value(gCnn(), QStringLiteral("SELECT ParamValue FROM xxPARAM WHERE ParamID = 'BatchKey'")).toString(); }
  int logRows(const QString& where) {
    return Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxAPLOG WHERE ") + where).toInt();
  }
};

TEST_P(SetBatchKeyTest, NewKeyIsStoredEncipheredAndTakesEffectAtOnce) {
  EditSettings().batchKey = QStringLiteral("OLDKEY");
  CardKeyWindow w;
  EXPECT_EQ(w.Label1()->text(), QStringLiteral("警告!!!\r\n任意修改Tolva資料加密碼，將導致已製做的卡片無法讀取\r\n請小心"));
  w.show();
  type(w, QStringLiteral("ABCDEFGHIJ123456"));  // sixteen characters
  EXPECT_TRUE(w.checkKey());
  w.setCardKey();
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("ABCDEFGHIJ123456"));
  // 'A' ^ 'K' = 41^4B = 0A, 'B' ^ 'M' = 42^4D = 0F, 'C' ^ 'P' = 43^50 = 13, 'D' ^ 'W' = 44^57 = 13.
  EXPECT_TRUE(storedKey().startsWith(QStringLiteral("0A0F1313")));
  EXPECT_EQ(storedKey().size(), 32);
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("加密碼設定完成")});
  EXPECT_TRUE(w.txtBatchKey()->text().isEmpty());
  EXPECT_FALSE(w.isVisible());
  // One log row with the action, and the key nowhere in it.
  EXPECT_EQ(logRows(QStringLiteral("ActionID = '變更加密碼'")), 1);
  EXPECT_EQ(logRows(QStringLiteral("LogMsg LIKE '%ABCDEF%' OR Remark LIKE '%ABCDEF%'")), 0);
  // The next start reads the same key back.
  EditSettings().batchKey.clear();
  LoadCardSettings();
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("ABCDEFGHIJ123456"));
}

TEST_P(SetBatchKeyTest, TooLongOrEmptyKeysAreRefused) {
  EditSettings().batchKey = QStringLiteral("OLDKEY");
  CardKeyWindow w;
  type(w, QStringLiteral("ABCDEFGHIJ1234567"));  // seventeen
  EXPECT_FALSE(w.checkKey());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("長度請不要超過16個英數字")});
  w.setCardKey();  // the button does not get round the check, and does not say it twice
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("OLDKEY"));
  type(w, QStringLiteral("ABCDEFGHIJ12345678"));  // another too-long key is refused aloud
  w.setCardKey();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 2);
  type(w, QStringLiteral("   "));
  w.setCardKey();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).last(), QStringLiteral("請輸入QDR卡資料加密碼"));
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("OLDKEY"));
  EXPECT_TRUE(storedKey().isEmpty());
  EXPECT_EQ(logRows(QStringLiteral("1 = 1")), 0);
}

TEST_P(SetBatchKeyTest, OnlyAsciiLettersAndDigitsAndACancelForgetsTheRefusal) {
  CardKeyWindow w;
  for (const char* key : {"Café2026", "密碼1234", "AB CD", "AB-CD"}) {
    type(w, QString::fromUtf8(key));
    w.setCardKey();
    EXPECT_TRUE(storedKey().isEmpty()) << key;
  }
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")),
            QStringList(4, QStringLiteral("加密碼只能使用英數字")));
  EXPECT_TRUE(TheSettings().batchKey.isEmpty());
  // The same refused text after a Cancel is refused aloud again, not in silence.
  w.closeWindow();
  type(w, QStringLiteral("AB-CD"));
  w.setCardKey();
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 5);
}

TEST_P(SetBatchKeyTest, ReplacingAStoredKeyAsksFirst) {
  // The stored key counts even when start-up did not read it into memory.
  SetParamValue(QStringLiteral("BatchKey"), BatchKeyToStored(QStringLiteral("OLDKEY")));
  EditSettings().batchKey.clear();
  CardKeyWindow w;
  type(w, QStringLiteral("NEWKEY"));
  w.setCardKey();  // scripted "No"
  ASSERT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 1);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("askYesNo"))[0].contains(QStringLiteral("無法讀取")));
  EXPECT_EQ(storedKey(), BatchKeyToStored(QStringLiteral("OLDKEY")));
  EXPECT_TRUE(TheSettings().batchKey.isEmpty());
  EXPECT_EQ(logRows(QStringLiteral("1 = 1")), 0);

  dialogs_->yesNoAnswers.push_back(true);
  w.setCardKey();
  EXPECT_EQ(storedKey(), BatchKeyToStored(QStringLiteral("NEWKEY")));
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("NEWKEY"));
}

TEST_P(SetBatchKeyTest, TheKeyIsHiddenTypedTwiceAndEnterConfirms) {
  CardKeyWindow w;
  EXPECT_EQ(w.txtBatchKey()->echoMode(), QLineEdit::Password);
  EXPECT_EQ(w.txtBatchKey2()->echoMode(), QLineEdit::Password);
  w.txtBatchKey()->setText(QStringLiteral("NEWKEY"));
  w.txtBatchKey2()->setText(QStringLiteral("NEWKEX"));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(w.txtBatchKey2(), &enter);
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("兩次輸入的加密碼不同，請再輸入一次")});
  EXPECT_TRUE(storedKey().isEmpty());
  EXPECT_TRUE(w.txtBatchKey2()->text().isEmpty());
  w.txtBatchKey2()->setText(QStringLiteral("NEWKEY"));
  QApplication::sendEvent(w.txtBatchKey2(), &enter);
  EXPECT_EQ(storedKey(), BatchKeyToStored(QStringLiteral("NEWKEY")));
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("NEWKEY"));
}

TEST_P(SetBatchKeyTest, FailedSaveKeepsTheOldKey) {
  EditSettings().batchKey = QStringLiteral("OLDKEY");
  refuseCommitsWriting(QStringLiteral("xxPARAM"));
  CardKeyWindow w;
  type(w, QStringLiteral("NEWKEY"));
  w.setCardKey();
  EXPECT_EQ(TheSettings().batchKey, QStringLiteral("OLDKEY"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")), QStringList{QStringLiteral("存檔失敗")});
  EXPECT_EQ(logRows(QStringLiteral("ActionID = '變更加密碼'")), 0);
  type(w, QStringLiteral("NEWKEY"));
  SaveScreenshot(&w, QStringLiteral("fmSetBatchKey"));
}

TOLVA_DB_TEST_SUITE(SetBatchKeyTest);
