#include "support/ExchangeFixture.h"
#include "support/Sql.h"

#include "core/UserSettings.h"
#include "ui/StatusPanel.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "windows/exchange/ImportWindow.h"
#include "windows/exchange/BlacklistExportWindow.h"
#include "windows/counter/MenuWindows.h"
#include "support/Screenshot.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <memory>

class ExchangeWindowTest : public ExchangeTest {
protected:
  // Three files in date order: good, dated another day, good.
  std::unique_ptr<ImportWindow> importWindow() {
    drop(fileName(), logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,500,5,,")}));
    drop(QStringLiteral("DD20060116_台北店_TL.TXT"), logFile({QStringLiteral("'001','21','V000001',#2006/01/15#,5,0,,")}));
    drop(QStringLiteral("DD20060117_台北店_TL.TXT"), logFile({QStringLiteral("'001','21','V000002',#2006/01/17#,5,0,,")}));
    SaveSetting(QStringLiteral("CardLog"), QStringLiteral("Dir"), inbox());
    std::unique_ptr<ImportWindow> w(qobject_cast<ImportWindow*>(CreateOperationWindow(QStringLiteral("cmdCardLogImport"))));
    EXPECT_EQ(w->txtDir()->text(), inbox());
    EXPECT_EQ(w->fgList()->rows(), 4);
    return w;
  }
  QStringList results(ImportWindow& w) {
    QStringList r;
    for (int row = 1; row < w.fgList()->rows(); ++row) r.append(w.fgList()->textMatrix(row, 1));
    return r;
  }
  int apLogRows(const QString& action) {
    return Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM xxAPLOG WHERE ActionID = ?"), {action}).toInt();
  }
};

TEST_P(ExchangeWindowTest, ImportAsksAfterAFailureAndNoLeavesTheRestUntouched) {
  auto w = importWindow();
  dialogs_->yesNoAnswers = {false};
  w->importFiles();
  const QStringList r = results(*w);
  EXPECT_EQ(r[0], QStringLiteral("轉入OK"));
  EXPECT_TRUE(r[1].startsWith(QStringLiteral("轉入失敗")));
  EXPECT_EQ(r[2], QString());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")), QStringList{QStringLiteral("是否要繼續作業")});
  EXPECT_EQ(w->progress()->value(), 2);
  EXPECT_EQ(apLogRows(QStringLiteral("QDR卡交易檔轉入")), 2);
  EXPECT_TRUE(QFile::exists(QDir(inbox()).filePath(QStringLiteral("DD20060117_台北店_TL.TXT"))));
  EXPECT_FALSE(w->running());
  SaveScreenshot(w.get(), QStringLiteral("fmCardLogImport"));
}

TEST_P(ExchangeWindowTest, ImportStopsBetweenFilesAndExitSavesTheDirectory) {
  auto w = importWindow();
  QObject::connect(w.get(), &ImportWindow::fileImported, w.get(), [&w](int row) {
    EXPECT_TRUE(w->running());
    if (row == 1) w->stopImport();
  });
  w->importFiles();
  EXPECT_EQ(results(*w), (QStringList{QStringLiteral("轉入OK"), QString(), QString()}));
  w->txtDir()->setText(path(QStringLiteral("LOG")));
  w->closeWindow();
  EXPECT_EQ(GetSetting(QStringLiteral("CardLog"), QStringLiteral("Dir")), path(QStringLiteral("LOG")));
}

TEST_P(ExchangeWindowTest, ViewOpensTheFileOrSaysWhyNot) {
  auto w = importWindow();
  w->fgList()->setCurrentCell(0, 0);
  w->viewSelectedFile();
  EXPECT_EQ(dialogs_->openedDocuments, QStringList{QDir(inbox()).filePath(fileName())});
  dialogs_->programForDocuments = false;
  w->viewSelectedFile();
  EXPECT_EQ(w->elaMsg()->caption(), QStringLiteral("沒有可開啟此檔案的程式"));
}

TEST_P(ExchangeWindowTest, ExportTellsWhatItDid) {
  std::unique_ptr<BlacklistExportWindow> w(qobject_cast<BlacklistExportWindow*>(CreateOperationWindow(QStringLiteral("cmdVoidCardExport"))));
  ASSERT_TRUE(w);
  for (const QString& dir : {QString(), path(QStringLiteral("none")), inbox()}) {
    w->txtDir()->setText(dir);
    w->exportBlacklist();
  }
  EXPECT_EQ(dialogs_->texts(QStringLiteral("showMessage")),
            (QStringList{QStringLiteral("請輸入轉出目錄"), QStringLiteral("轉出目錄不存在"), QStringLiteral("沒有卡號被設為黑名單")}));
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '99' WHERE CardNo = 'V000001'"));
  w->exportBlacklist();
  EXPECT_EQ(w->elaMsg()->caption(), QStringLiteral("黑名單資料轉出完成"));
  EXPECT_TRUE(QFile::exists(QDir(inbox()).filePath(QStringLiteral("VoidCard.txt"))));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT LogMsg FROM xxAPLOG WHERE ActionID = '黑名單轉出'")).toString(),
            QStringLiteral("轉出黑名單筆數：1"));
  SaveScreenshot(w.get(), QStringLiteral("fmVoidCardExport"));
  w->closeWindow();
  EXPECT_EQ(GetSetting(QStringLiteral("VoidCardList"), QStringLiteral("Dir")), inbox());
}

TOLVA_DB_TEST_SUITE(ExchangeWindowTest);
