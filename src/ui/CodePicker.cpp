#include "ui/CodePicker.h"

#include "core/ErrorReport.h"
#include "ui/WindowHelpers.h"
#include "ui/FieldBehaviour.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList kHeadings = {QStringLiteral("代碼"), QStringLiteral("說明")};
}

CodePicker::CodePicker(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmCode"));
  setWindowTitle(QStringLiteral("代碼輸入輔助視窗"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  fgCode_ = new QTableWidget(0, 2, this);
  fgCode_->setObjectName(QStringLiteral("fgCode"));
  fgCode_->setHorizontalHeaderLabels(kHeadings);
  fgCode_->setSelectionBehavior(QAbstractItemView::SelectRows);
  fgCode_->setSelectionMode(QAbstractItemView::SingleSelection);
  fgCode_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fgCode_->verticalHeader()->hide();
  fgCode_->horizontalHeader()->setStretchLastSection(true);
  fgCode_->installEventFilter(this);
  layout->addWidget(fgCode_);
  connect(fgCode_, &QTableWidget::cellClicked, this, [this](int row, int) { chooseClickedRow(row); });
  resize(420, 360);
}

bool CodePicker::pick(const QList<QStringList>& rows, QLineEdit* target, QLineEdit* description, const QString& heading1,
                       const QString& heading2) {
  try {
    chosen_.clear();
    fgCode_->setRowCount(0);
    fgCode_->setHorizontalHeaderLabels(kHeadings);
    fgCode_->setUpdatesEnabled(false);
    for (const QStringList& cells : rows) {
      const int row = fgCode_->rowCount();
      fgCode_->insertRow(row);
      for (int c = 0; c < fgCode_->columnCount(); ++c) fgCode_->setItem(row, c, new QTableWidgetItem(cells.value(c)));
    }
    fgCode_->setUpdatesEnabled(true);
    fgCode_->resizeColumnsToContents();
    if (fgCode_->rowCount() == 0) return false;
    target_ = target;
    description_ = description;
    if (!heading1.isEmpty()) fgCode_->horizontalHeaderItem(0)->setText(heading1);
    if (!heading2.isEmpty()) fgCode_->horizontalHeaderItem(1)->setText(heading2);
    fgCode_->setCurrentCell(0, 0);
    CenterForm(this);
    exec();
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

void CodePicker::chooseClickedRow(int row) {
  try {
    chooseRow(row);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void CodePicker::chooseRow(int row) {
  if (row < 0 || row >= fgCode_->rowCount()) return;
  auto cell = [this, row](int col) {
    const QTableWidgetItem* item = fgCode_->item(row, col);
    return item ? item->text() : QString();
  };
  chosen_ = cell(0);
  if (target_) target_->setText(chosen_);
  if (description_) description_->setText(cell(1));
  hide();
}

bool CodePicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fgCode_ && event->type() == QEvent::KeyPress) {
    try {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        chooseRow(fgCode_->currentRow());
        return true;
      }
      if (key == Qt::Key_Escape) {
        hide();
        return true;
      }
    } catch (...) {
      ReportError(ErrorLabel());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

CodePicker& TheCodePicker() {
  static CodePicker* picker = new CodePicker;
  return *picker;
}

FieldBehaviour* InstallCodeField(QLineEdit* field, CodeRowSource rows, QLineEdit* description,
                                 const QString& heading1, const QString& heading2) {
  FieldBehaviour* fb = FieldBehaviour::install(field);
  QPointer<QLineEdit> desc(description);
  fb->setPicker([rows = std::move(rows), desc, heading1, heading2](QLineEdit* f) {
    TheCodePicker().pick(rows(), f, desc, heading1, heading2);
  });
  return fb;
}
