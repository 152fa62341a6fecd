#include "windows/reports/ReconcileReport.h"

#include "ui/ErrorReports.h"
#include "core/ErrorReport.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "ui/PrintPreviewWindow.h"
#include "windows/reports/ReportWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("帳務核對表");
}

ReconcileReport::ReconcileReport(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmRptReconcile"));
  setWindowTitle(kTitle);
  auto* layout = new QVBoxLayout(this);
  fgList_ = new DataGrid(this);
  fgList_->setFillWidth(true);
  fgList_->setObjectName(QStringLiteral("fgList"));
  fgList_->setHeadings(kReconcileHeadings);
  for (int c = 2; c < fgList_->cols(); ++c) fgList_->setColRightAligned(c);
  layout->addWidget(fgList_, 1);
  layout->addLayout(ReportButtonRow(this, {[this] { listRows(); }, [this] { printList(); },
                                            [this] { saveAsCsv(); }, [this] { closeWindow(); }}));
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);
  resize(860, 520);
}

bool ReconcileReport::queryRows() {
  try {
    const Fetched<QList<ReconcileRow>> rows = Disagreements(OperationContext::Current());
    if (!rows) {
      ReportError(ErrorLabel(), rows.failure);
      return false;
    }
    fgList_->clearRows();
    for (const ReconcileRow& r : *rows) fgList_->addRow(ReconcileCells(r));
    fgList_->fitColumnWidths();
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

void ReconcileReport::listRows() {
  if (!queryRows()) return;
  const int n = fgList_->rows() - 1;
  ShowStatusMessage(elaMsg_, n == 0 ? QStringLiteral("核對無誤") : QStringLiteral("不符 %1 筆").arg(n), 0);
}

void ReconcileReport::printList() {
  try {
    if (!queryRows()) return;
    PrintPreviewWindow preview(this);
    preview.startDocument(kTitle);
    // The check has no conditions: every card of every store, as the tables stand now.
    preview.addText(QStringLiteral("核對範圍：全部卡片"));
    preview.addText(QStringLiteral("部門：全部"));
    preview.addTable(QStringLiteral("<1000|<1900|>1000|>1000|>1000|>900|>900|>900"),
                     kReconcileHeadings, GridPrintText(fgList_, {0, 1, 2, 3, 4, 5, 6, 7}));
    preview.addText(QString());
    preview.addText(QStringLiteral("不符筆數：") + QString::number(fgList_->rows() - 1));
    preview.endDocument();
    preview.showDocument();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void ReconcileReport::saveAsCsv() { SaveGridAsCsv(this, fgList_, kTitle, elaMsg_); }

void ReconcileReport::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
