#include "ui/PrintPreviewWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "ui/FileChoosers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

PrintPreviewWindow::PrintPreviewWindow(QWidget* parent) : QDialog(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  setObjectName(QStringLiteral("frmPrint"));
  setWindowTitle(QStringLiteral("預覽列印"));
  printer_->setPageSize(QPageSize(QPageSize::A4));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto add = [&](const char* name, const QString& caption, void (PrintPreviewWindow::*slot)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    bar->addWidget(b);
    connect(b, &QPushButton::clicked, this, slot);
  };
  add("cmdFirst", QStringLiteral("第一頁"), &PrintPreviewWindow::showFirstPage);
  add("cmdPrev", QStringLiteral("上一頁"), &PrintPreviewWindow::showPreviousPage);
  add("cmdNext", QStringLiteral("下一頁"), &PrintPreviewWindow::showNextPage);
  add("cmdLast", QStringLiteral("最後頁"), &PrintPreviewWindow::showLastPage);
  lblPage_ = new QLabel(this);
  bar->addWidget(lblPage_);
  bar->addStretch(1);
  add("cmdPrint", QStringLiteral("列印"), &PrintPreviewWindow::printDocument);
  add("cmdPageSetup", QStringLiteral("版面設定"), &PrintPreviewWindow::setUpPage);
  add("cmdPrinterSetup", QStringLiteral("印表機設定"), &PrintPreviewWindow::setUpPrinter);
  auto* save = new QPushButton(QStringLiteral("存成PDF"), this);
  save->setObjectName(QStringLiteral("cmdSave"));
  bar->addWidget(save);
  connect(save, &QPushButton::clicked, this, [this] { saveAsPdf(); });
  auto* exit = new QPushButton(QStringLiteral("&Z結束"), this);
  exit->setObjectName(QStringLiteral("cmdExit"));
  bar->addWidget(exit);
  connect(exit, &QPushButton::clicked, this, &QDialog::accept);
  layout->addLayout(bar);
  preview_ = new QPrintPreviewWidget(printer_.get(), this);
  preview_->setObjectName(QStringLiteral("pvwPrint"));
  preview_->setZoomMode(QPrintPreviewWidget::FitInView);
  layout->addWidget(preview_, 1);
  connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { doc_.print(p); });
  connect(preview_, &QPrintPreviewWidget::previewChanged, this, [this] { showPage(currentPage()); });
  resize(900, 700);
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

void PrintPreviewWindow::layOutPreview() {
  preview_->updatePreview();
  showPage(1);
}

void PrintPreviewWindow::showDocument() {
  // The document's own orientation first; the operator may still turn it in the page set-up.
  printer_->setPageOrientation(doc_.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
  layOutPreview();
  exec();
}

int PrintPreviewWindow::pageCount() const { return preview_->pageCount(); }
int PrintPreviewWindow::currentPage() const { return preview_->currentPage(); }

void PrintPreviewWindow::showPage(int page) {
  if (pageCount() > 0) preview_->setCurrentPage(std::clamp(page, 1, pageCount()));
  lblPage_->setText(QStringLiteral("%1 / %2").arg(currentPage()).arg(pageCount()));
}

void PrintPreviewWindow::showFirstPage() { showPage(1); }
void PrintPreviewWindow::showPreviousPage() { showPage(currentPage() - 1); }
void PrintPreviewWindow::showNextPage() { showPage(currentPage() + 1); }
void PrintPreviewWindow::showLastPage() { showPage(pageCount()); }

void PrintPreviewWindow::printDocument() {
  try {
    const WorkingFolderForChoosers away;
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() == QDialog::Accepted) printOnPrinter();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool PrintPreviewWindow::printOnPrinter() {
  // A printer that refuses the job (or a print-to-file that cannot be written) prints nothing:
  // the operator must not walk to the printer for pages that never come.
  if (doc_.print(printer_.get()) > 0) return true;
  Dialogs().messageBox(QStringLiteral("列印失敗"), TheSettings().appName, MsgIcon::Exclamation);
  return false;
}

void PrintPreviewWindow::setUpPage() {
  try {
    QPageSetupDialog dialog(printer_.get(), this);
    if (dialog.exec() == QDialog::Accepted) layOutPreview();
  } catch (...) {
    LogError(ErrorLabel());
  }
}

void PrintPreviewWindow::setUpPrinter() {
  try {
    const WorkingFolderForChoosers away;
    QPrintDialog dialog(printer_.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() == QDialog::Accepted) layOutPreview();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool PrintPreviewWindow::saveAsPdf() {
  try {
    QString file = Dialogs().saveFileName(QStringLiteral("存成PDF"), QStringLiteral("PDF (*.pdf)"), doc_.title() + QStringLiteral(".pdf"));
    if (file.isEmpty()) return false;
    if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
    if (doc_.saveAsPdf(file)) return true;
    Dialogs().messageBox(QStringLiteral("存檔失敗"), TheSettings().appName, MsgIcon::Exclamation);
    return false;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}
