#include "core/Clock.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "windows/counter/MainWindow.h"
#include "windows/counter/MenuWindows.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

class MainWindowTest : public AppTest {};

TEST_F(MainWindowTest, CaptionsOfEveryGroup) {
  MainWindow w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("QDR卡管理作業"));
  const QList<QPair<const char*, const char*>> captions = {
      {"cmdReadCard", "讀卡"},        {"cmdClientAddAmt", "加值"},       {"cmdDeductAmt", "扣抵"},
      {"cmdDeductPoint", "抵扣紅利點數"}, {"cmdSaleCardT", "售出卡片"},  {"cmdUPDOCheck", "交易沖正"},
      {"cmdIsuCard", "發卡作業"},     {"cmdSaleCard", "售出卡片"},       {"cmdAddAmt", "加值作業"},
      {"cmdReIssueCard", "補發卡作業"}, {"cmdVoidTxn", "沖正"},           {"cmdSetGoodThru", "更改有效日期"},
      {"cmdQryCard", "單卡查詢"},     {"cmdEraseCard", "清除卡片"},      {"cmdDelCard", "設定黑名單"},
      {"cmdCardLogImport", "交易資料轉入"}, {"cmdVoidCardExport", "黑名單轉出"}, {"cmdRptIssueCard", "製卡報表"},
      {"cmdLog", "作業記錄"},         {"cmdSetting", "系統參數設定"},    {"cmdSetDept", "部門設定"},
      {"cmdSetMsg", "促銷訊息設定"},  {"cmdSetBatchKey", "設定加密碼"},  {"Command4", "加值明細表"},
      {"Command5", "抵扣明細表"},     {"Command6", "銷售明細表"},        {"cmdExit", "&Z結束"},
  };
  for (const auto& [name, caption] : captions) {
    QPushButton* b = w.button(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->text(), QString::fromUtf8(caption)) << name;
  }
  for (const char* f : {"txtCardNo", "txtBatchNo", "txtDeptNo", "txtGoodThru", "txtBalAmt", "txtBalPoint", "txtAmt",
                        "txtPoint", "txtAmtB", "txtVoidPoint"}) {
    EXPECT_NE(w.field(QString::fromLatin1(f)), nullptr) << f;
  }
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("V%1.%2.%3").arg(TOLVA_VERSION_MAJOR).arg(TOLVA_VERSION_MINOR).arg(TOLVA_VERSION_PATCH));
}

TEST_F(MainWindowTest, OneOperationWindowAtATimeEachCreatedOnce) {
  MainWindow w;
  w.show();
  ASSERT_TRUE(w.button(QStringLiteral("cmdSetMsg"))->isEnabled());
  w.button(QStringLiteral("cmdSetMsg"))->click();
  QWidget* msg = w.currentWindow();
  ASSERT_NE(msg, nullptr);
  EXPECT_EQ(msg->objectName(), QStringLiteral("fmCardMsg"));
  EXPECT_TRUE(msg->isVisible());
  msg->hide();
  w.button(QStringLiteral("cmdSetMsg"))->click();
  EXPECT_EQ(w.currentWindow(), msg);  // reused, not created again
  EXPECT_TRUE(msg->isVisible());
  delete msg;
}

TEST_F(MainWindowTest, CardPageIsOffWhileTheKeyIsEmpty) {
  MainWindow w;
  EditSettings().batchKey.clear();
  w.updateCardPageAccess();
  EXPECT_FALSE(w.tabPage()->isTabEnabled(0));
  EXPECT_EQ(w.tabPage()->currentIndex(), 2);  // the settings page, where the key is set
  EditSettings().batchKey = QStringLiteral("K1");
  w.updateCardPageAccess();
  EXPECT_TRUE(w.tabPage()->isTabEnabled(0));
  w.tabPage()->setCurrentIndex(0);
  w.field(QStringLiteral("txtCardNo"))->setText(QStringLiteral("V000001"));
  SaveScreenshot(&w, QStringLiteral("fmTolva"));
}
