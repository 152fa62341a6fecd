#include "app/globals.h"
#include "forms/reports/frmPrint.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>

namespace {
// The text of each page of a PDF, read back with pdftotext.
QStringList pdfPages(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}

QString rowsText(int count) {
  QStringList rows;
  for (int i = 1; i <= count; ++i) {
    rows << QStringLiteral("V%1|台北店|2027/12/31|%2").arg(i, 6, 10, QLatin1Char('0')).arg(i * 100);
  }
  return rows.join(QLatin1Char(';'));
}
}  // namespace

class PrintPreviewTest : public AppTest {};

TEST_F(PrintPreviewTest, LongTableContinuesWithItsHeadingsAndEveryRow) {
  gCustName = QStringLiteral("好市集");
  frmPrint w;
  w.StartDoc(QStringLiteral("製卡明細表"));
  w.AddText(QStringLiteral("製卡日期：2026/03/01-2026/03/31"));
  w.AddTable(QStringLiteral("<1000|<1000|<1200|>1000"), QStringLiteral("卡號|部門|有效日|金額"), rowsText(70));
  w.AddText(QStringLiteral("發卡張數：70"));
  w.AddText(QStringLiteral("簽收人："));
  w.EndDoc();
  const QString pdf = path(QStringLiteral("list.pdf"));
  dialogs_->fileAnswers.push_back(pdf);
  ASSERT_TRUE(w.cmdSave_Click());

  const QStringList pages = pdfPages(pdf);
  ASSERT_EQ(pages.size(), 2);
  for (const QString& page : pages) {
    EXPECT_TRUE(page.contains(QStringLiteral("好市集")));
    EXPECT_TRUE(page.contains(QStringLiteral("製卡明細表")));
    EXPECT_TRUE(page.contains(QStringLiteral("卡號")) && page.contains(QStringLiteral("有效日")));
  }
  const QString all = pages.join(QString());
  for (int i = 1; i <= 70; ++i) {
    EXPECT_TRUE(all.contains(QStringLiteral("V%1").arg(i, 6, 10, QLatin1Char('0')))) << i;
  }
  EXPECT_TRUE(pages[1].contains(QStringLiteral("簽收人：")));
  EXPECT_TRUE(pages[0].contains(QStringLiteral("製卡日期：2026/03/01-2026/03/31")));

  // The preview pages through the same document.
  w.Refresh();
  EXPECT_EQ(w.pageCount(), 2);
  w.cmdLast_Click();
  EXPECT_EQ(w.currentPage(), 2);
  w.cmdNext_Click();
  EXPECT_EQ(w.currentPage(), 2);
  w.cmdFirst_Click();
  EXPECT_EQ(w.currentPage(), 1);
  SaveScreenshot(&w, QStringLiteral("frmPrint"));
}

TEST_F(PrintPreviewTest, CancelledOrImpossibleSaveIsNoSuccess) {
  frmPrint w;
  w.StartDoc(QStringLiteral("x"));
  w.AddText(QStringLiteral("一行"));
  w.EndDoc();
  EXPECT_FALSE(w.cmdSave_Click());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("saveFileName")).size(), 1);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty());

  // A folder that does not exist: nothing is written, and the operator is told.
  const QString pdf = path(QStringLiteral("no/such/folder/x.pdf"));
  dialogs_->fileAnswers.push_back(pdf);
  EXPECT_FALSE(w.cmdSave_Click());
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("存檔失敗")});
}

TEST_F(PrintPreviewTest, AFailedPrintSaysSo) {
  frmPrint w;
  w.StartDoc(QStringLiteral("x"));
  w.AddText(QStringLiteral("一行"));
  w.EndDoc();
  w.printer()->setOutputFormat(QPrinter::PdfFormat);
  w.printer()->setOutputFileName(path(QStringLiteral("no/such/folder/x.pdf")));
  EXPECT_FALSE(w.PrintDocument());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("列印失敗")});
  w.printer()->setOutputFileName(path(QStringLiteral("x.pdf")));
  EXPECT_TRUE(w.PrintDocument());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
}
