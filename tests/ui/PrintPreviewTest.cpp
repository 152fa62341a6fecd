#include "core/Settings.h"
#include "ui/PrintPreviewWindow.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

namespace {
// The text of each page of a PDF, read back with pdftotext.
QStringList pdfPages(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}

// The words of a PDF with their left and right edges in points, and the page width, read back
// with pdftotext -bbox.
struct PdfWord {
  QString text;
  double left, right;
};
QList<PdfWord> pdfWords(const QString& file, double* pageWidth) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
  p.waitForFinished(30000);
  const QString html = QString::fromUtf8(p.readAllStandardOutput());
  static const QRegularExpression page(QStringLiteral(R"re(<page width="([\d.]+)")re"));
  *pageWidth = page.match(html).captured(1).toDouble();
  static const QRegularExpression word(QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)"[^>]*>([^<]*)</word>)re"));
  QList<PdfWord> words;
  for (auto it = word.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    words.append({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
  }
  return words;
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
  EditSettings().customerName = QStringLiteral("好市集");
  PrintPreviewWindow w;
  w.startDocument(QStringLiteral("製卡明細表"));
  w.addText(QStringLiteral("製卡日期：2026/03/01-2026/03/31"));
  w.addTable(QStringLiteral("<1000|<1000|<1200|>1000"), QStringLiteral("卡號|部門|有效日|金額"), rowsText(70));
  w.addText(QStringLiteral("發卡張數：70"));
  w.addText(QStringLiteral("簽收人："));
  w.endDocument();
  const QString pdf = path(QStringLiteral("list.pdf"));
  dialogs_->fileAnswers.push_back(pdf);
  ASSERT_TRUE(w.saveAsPdf());

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
  w.layOutPreview();
  EXPECT_EQ(w.pageCount(), 2);
  w.showLastPage();
  EXPECT_EQ(w.currentPage(), 2);
  w.showNextPage();
  EXPECT_EQ(w.currentPage(), 2);
  w.showFirstPage();
  EXPECT_EQ(w.currentPage(), 1);
  SaveScreenshot(&w, QStringLiteral("frmPrint"));
}

TEST_F(PrintPreviewTest, CancelledOrImpossibleSaveIsNoSuccess) {
  PrintPreviewWindow w;
  w.startDocument(QStringLiteral("x"));
  w.addText(QStringLiteral("一行"));
  w.endDocument();
  EXPECT_FALSE(w.saveAsPdf());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("saveFileName")).size(), 1);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty());

  // A folder that does not exist: nothing is written, and the operator is told.
  const QString pdf = path(QStringLiteral("no/such/folder/x.pdf"));
  dialogs_->fileAnswers.push_back(pdf);
  EXPECT_FALSE(w.saveAsPdf());
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("存檔失敗")});
}

TEST_F(PrintPreviewTest, AFailedPrintSaysSo) {
  PrintPreviewWindow w;
  w.startDocument(QStringLiteral("x"));
  w.addText(QStringLiteral("一行"));
  w.endDocument();
  w.printer()->setOutputFormat(QPrinter::PdfFormat);
  w.printer()->setOutputFileName(path(QStringLiteral("no/such/folder/x.pdf")));
  EXPECT_FALSE(w.printOnPrinter());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")), QStringList{QStringLiteral("列印失敗")});
  w.printer()->setOutputFileName(path(QStringLiteral("x.pdf")));
  EXPECT_TRUE(w.printOnPrinter());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
}

TEST_F(PrintPreviewTest, ATableWiderThanThePaperFitsItAndALongCellWrapsInItsColumn) {
  QStringList words;
  for (int i = 1; i <= 40; ++i) words << QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0'));
  PrintPreviewWindow w;
  w.startDocument(QStringLiteral("作業記錄"));
  // 12000 twips: wider than the text of an upright A4 page; the last cell runs past the paper's
  // edge unless the table is narrowed and the cell wraps.
  w.addTable(QStringLiteral("<3000|<6000|<3000"), QStringLiteral("時間|內容|使用者"),
             QStringLiteral("2026/03/09|") + words.join(QLatin1Char(' ')) + QStringLiteral("|clerkX") +
                 QString(30, QLatin1Char('x')));
  w.endDocument();
  const QString pdf = path(QStringLiteral("wide.pdf"));
  ASSERT_TRUE(w.doc().saveAsPdf(pdf));
  double pageWidth = 0;
  const QList<PdfWord> printed = pdfWords(pdf, &pageWidth);
  ASSERT_GT(pageWidth, 0);
  const auto user = std::find_if(printed.begin(), printed.end(), [](const PdfWord& p) { return p.text.startsWith(QStringLiteral("clerkX")); });
  ASSERT_NE(user, printed.end());
  QStringList cell;
  for (const PdfWord& p : printed) {
    EXPECT_LE(p.right, pageWidth) << p.text.toStdString();
    if (!p.text.startsWith(QLatin1Char('w'))) continue;
    cell << p.text;
    EXPECT_LT(p.right, user->left) << p.text.toStdString();  // within its column
  }
  EXPECT_EQ(cell, words);
}
