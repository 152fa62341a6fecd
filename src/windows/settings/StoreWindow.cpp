#include "windows/settings/StoreWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "operations/ActivityLog.h"
#include "operations/StoreSettings.h"
#include "ui/PrintPreviewWindow.h"
#include "ui/ErrorReports.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kAction = QStringLiteral("部門設定");
const QString kFailed = QStringLiteral("系統錯誤");

// "|" and ";" separate the cells and rows of a printed table; a name holding them would
// shift every cell after it.
QString printCell(QString text) {
  return text.replace(QLatin1Char('|'), QChar(0xFF5C)).replace(QLatin1Char(';'), QChar(0xFF1B));
}
}  // namespace

StoreWindow::StoreWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmWJN0107"));
  setWindowTitle(QStringLiteral("部門資料設定"));
  auto* layout = new QVBoxLayout(this);
  fgStore_ = new DataGrid(this);
  fgStore_->setObjectName(QStringLiteral("fgStore"));
  fgStore_->setHeadings(QStringLiteral("店代號|店名|順序"));
  fgStore_->setColRightAligned(2);
  fgStore_->setSelectionBehavior(QAbstractItemView::SelectRows);
  fgStore_->setSelectionMode(QAbstractItemView::SingleSelection);
  fgStore_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Code and order fit their contents; the name takes the rest of the width.
  fgStore_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  fgStore_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  fgStore_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  layout->addWidget(fgStore_, 1);
  buildFields(layout);
  buildButtons(layout);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);

  connect(fgStore_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (mode_ == Mode::Browse && row >= 0) showStoreRow(row + 1);
  });
  connect(fgStore_, &QTableWidget::cellDoubleClicked, this, [this] { editStore(); });
  FieldBehaviour::install(txtStoreID_)->setCheck([this](QLineEdit*) { return checkStoreCode(); });
  FieldBehaviour::install(txtStoreName_);
  FieldBehaviour::install(txtListNo_)->setCheck([this](QLineEdit*) { return checkListNumber(); });

  resize(560, 520);
  reloadStores();
}

void StoreWindow::buildFields(QVBoxLayout* layout) {
  auto* grid = new QGridLayout;
  auto field = [&](const char* name, const QString& caption, int row, int maxLength) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(name).mid(3));
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0, Qt::AlignRight);
    grid->addWidget(edit, row, 1);
    return edit;
  };
  // Codes are not cut by the field: a pasted four-character code must be refused, not shortened.
  txtStoreID_ = field("txtStoreID", QStringLiteral("店代號"), 0, 32);
  TypeInCapitals(txtStoreID_);
  txtStoreName_ = field("txtStoreName", QStringLiteral("店名"), 1, 50);  // 100 bytes in Big5
  txtListNo_ = field("txtListNo", QStringLiteral("順序"), 2, 12);
  txtStoreID_->setMaximumWidth(90);
  txtListNo_->setMaximumWidth(90);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
}

void StoreWindow::buildButtons(QVBoxLayout* layout) {
  auto* row = new QHBoxLayout;
  auto add = [&](const char* name, const QString& caption, void (StoreWindow::*handler)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    row->addWidget(b);
    connect(b, &QPushButton::clicked, this, handler);
  };
  add("cmdAdd", QStringLiteral("新增"), &StoreWindow::addStore);
  add("cmdUpd", QStringLiteral("修改"), &StoreWindow::editStore);
  add("cmdDel", QStringLiteral("刪除"), &StoreWindow::deleteStore);
  add("cmdSave", QStringLiteral("存檔"), &StoreWindow::saveStore);
  add("cmdCancel", QStringLiteral("取消"), &StoreWindow::cancelEdit);
  row->addStretch(1);
  add("cmdPrint", QStringLiteral("列印"), &StoreWindow::printList);
  add("cmdExit", QStringLiteral("&Z結束"), &StoreWindow::closeWindow);
  layout->addLayout(row);
  // Leaving an add or change must work whatever a field holds ("店代號重複", say).
  SkipFieldChecks(button(QStringLiteral("cmdCancel")));
  SkipFieldChecks(button(QStringLiteral("cmdExit")));
}

QPushButton* StoreWindow::button(const QString& name) const { return findChild<QPushButton*>(name); }

void StoreWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  CenterForm(this);
  // Another workstation may have changed the list while the window was hidden.
  if (mode_ == Mode::Browse) reloadStores(currentCode_);
}

void StoreWindow::closeEvent(QCloseEvent* event) {
  if (!mayDiscardEdits()) {
    event->ignore();
    return;
  }
  cancelEdit();
  event->accept();
}

void StoreWindow::setMode(Mode mode) {
  mode_ = mode;
  const bool browse = mode == Mode::Browse;
  if (browse) {
    LockFields(this);
  } else {
    OpenFieldsForInput(this);
  }
  if (mode == Mode::Edit) {
    // The code is the key cards and transactions refer to; only name and order change.
    txtStoreID_->setReadOnly(true);
    SetBackground(txtStoreID_, kInputClosed);
  }
  fgStore_->setEnabled(browse);
  const bool hasRow = !currentCode_.isEmpty();
  button(QStringLiteral("cmdAdd"))->setEnabled(browse);
  button(QStringLiteral("cmdUpd"))->setEnabled(browse && hasRow);
  button(QStringLiteral("cmdDel"))->setEnabled(browse && hasRow);
  button(QStringLiteral("cmdPrint"))->setEnabled(browse);
  button(QStringLiteral("cmdSave"))->setEnabled(!browse);
  button(QStringLiteral("cmdCancel"))->setEnabled(!browse);
}

void StoreWindow::reloadStores(const QString& showCode) {
  try {
    const Fetched<QList<QStringList>> found = StoreList(OperationContext::Current());
    if (!found) return ReportError(ErrorLabel(), found.failure);
    const QList<QStringList>& stores = *found;
    fgStore_->setUpdatesEnabled(false);
    fgStore_->clearRows();
    for (const QStringList& store : stores) fgStore_->addRow(store);
    fgStore_->setUpdatesEnabled(true);
    const int n = static_cast<int>(stores.size());
    int row = n > 0 ? 1 : 0;
    for (int r = 1; r <= n; ++r) {
      if (fgStore_->textMatrix(r, 0) == showCode) row = r;
    }
    currentCode_.clear();
    ClearInputFields(this);
    if (row > 0) showStoreRow(row);
    setMode(Mode::Browse);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void StoreWindow::showStoreRow(int row) {
  if (mode_ != Mode::Browse || row < 1 || row >= fgStore_->rows()) return;
  currentCode_ = fgStore_->textMatrix(row, 0);
  txtStoreID_->setText(currentCode_);
  txtStoreName_->setText(fgStore_->textMatrix(row, 1));
  txtListNo_->setText(fgStore_->textMatrix(row, 2));
  if (fgStore_->currentRow() != row - 1) fgStore_->setCurrentCell(row - 1, 0);
  setMode(Mode::Browse);
}

void StoreWindow::addStore() {
  setMode(Mode::Add);
  ClearInputFields(this);
  txtStoreID_->setFocus();
}

void StoreWindow::editStore() {
  if (currentCode_.isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("請先選擇部門"));
    return;
  }
  setMode(Mode::Edit);
  txtStoreName_->setFocus();
  txtStoreName_->selectAll();
}

void StoreWindow::cancelEdit() {
  if (mode_ == Mode::Browse) return;
  mode_ = Mode::Browse;
  reloadStores(currentCode_);
}

bool StoreWindow::mayDiscardEdits() {
  if (mode_ == Mode::Browse) return true;
  if (!Dialogs().askYesNo(QStringLiteral("資料尚未存檔，確定放棄？"), TheSettings().appName)) return false;
  cancelEdit();
  return true;
}

void StoreWindow::closeWindow() {
  if (!mayDiscardEdits()) return;
  cancelEdit();
  hide();
}

void StoreWindow::showProblem(QLineEdit* field, const QString& message) {
  ShowStatusMessage(elaMsg_, message);
  field->setFocus();
  field->selectAll();
}

bool StoreWindow::checkStoreCode() {
  if (mode_ != Mode::Add) return true;
  const Fetched<QString> problem = NewStoreCodeProblem(OperationContext::Current(), txtStoreID_->text());
  if (!problem) {
    // The save checks again and reports; the operator is not held in the field meanwhile.
    LogError(ErrorLabel(), problem.failure);
    return true;
  }
  if (problem->isEmpty()) return true;
  ShowStatusMessage(elaMsg_, *problem);
  return false;
}

bool StoreWindow::checkListNumber() {
  const QString problem = ListNoProblem(txtListNo_->text());
  if (problem.isEmpty()) return true;
  ShowStatusMessage(elaMsg_, problem);
  return false;
}

Fetched<bool> StoreWindow::checkFields() {
  if (mode_ == Mode::Add) {
    const Fetched<QString> problem = NewStoreCodeProblem(OperationContext::Current(), txtStoreID_->text());
    if (!problem) return problem.failure;
    if (!problem->isEmpty()) {
      showProblem(txtStoreID_, *problem);
      return false;
    }
  }
  if (txtStoreName_->text().trimmed().isEmpty()) {
    showProblem(txtStoreName_, QStringLiteral("請輸入店名"));
    return false;
  }
  const QString problem = ListNoProblem(txtListNo_->text());
  if (!problem.isEmpty()) {
    showProblem(txtListNo_, problem);
    return false;
  }
  return true;
}

Fetched<bool> StoreWindow::saveRow() {
  const StoreRow row{txtStoreID_->text().trimmed(), txtStoreName_->text().trimmed(), 0};
  const Fetched<Outcome> saved = WithErrorReports([&] {
    return SaveStore(OperationContext::Current(), row, txtListNo_->text(), mode_ == Mode::Add);
  });
  if (!saved.ok()) return saved.failure;
  if (!saved->ok) {
    showProblem(txtStoreName_, saved->message);
    return false;
  }
  mode_ = Mode::Browse;
  reloadStores(row.id);
  return true;
}

void StoreWindow::saveStore() {
  if (mode_ == Mode::Browse) return;
  const QString what = (mode_ == Mode::Add ? QStringLiteral("新增 ") : QStringLiteral("修改 ")) + txtStoreID_->text().trimmed();
  Fetched<bool> saved = checkFields();
  if (saved.ok() && *saved) saved = saveRow();
  if (!saved.ok()) {
    ReportError(ErrorLabel(), saved.failure);
    LogActivity(kAction, what, kFailed);
    // The typed values stay in the fields so that the operator can try again.
    ShowStatusMessage(elaMsg_, QStringLiteral("存檔失敗"));
    return;
  }
  if (*saved) ShowStatusMessage(elaMsg_, QStringLiteral("存檔完成"));
}

void StoreWindow::deleteStore() {
  if (mode_ != Mode::Browse) return;
  if (currentCode_.isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("請先選擇部門"));
    return;
  }
  const QString code = currentCode_;
  const QString what = QStringLiteral("刪除 ") + code + QLatin1Char(' ') + txtStoreName_->text();
  {
    if (code == TheSettings().storeId) {
      ShowStatusMessage(elaMsg_, QStringLiteral("此店為本機店代號，不可刪除"));
      return;
    }
    if (!Dialogs().askYesNo(QStringLiteral("確定刪除 ") + code + QLatin1Char(' ') + txtStoreName_->text() +
                                QStringLiteral(" ？"),
                            TheSettings().appName)) {
      return;
    }
    const Fetched<Outcome> removed = WithErrorReports([&] { return RemoveStore(OperationContext::Current(), code, what); });
    if (!removed) {
      ReportError(ErrorLabel(), removed.failure);
      LogActivity(kAction, what, kFailed);
      ShowStatusMessage(elaMsg_, QStringLiteral("刪除失敗"));
      return;
    }
    if (!removed->ok) {
      ShowStatusMessage(elaMsg_, removed->message);
      return;
    }
    reloadStores();
    ShowStatusMessage(elaMsg_, removed->message);
  }
}

QString StoreWindow::listForPrint() const {
  QStringList rows;
  for (int r = 1; r < fgStore_->rows(); ++r) {
    QStringList cells;
    for (int c = 0; c < fgStore_->cols(); ++c) cells << printCell(fgStore_->textMatrix(r, c));
    rows << cells.join(QLatin1Char('|'));
  }
  return rows.join(QLatin1Char(';'));
}

void StoreWindow::printList() {
  if (mode_ != Mode::Browse) return;
  try {
    reloadStores(currentCode_);
    ShowStatusMessage(elaMsg_, QStringLiteral("列印中...."), 0);
    PrintPreviewWindow preview(this);
    preview.startDocument(QStringLiteral("部門資料表"));
    preview.addTable(QStringLiteral("<1200|<4000|>1000"), QStringLiteral("店代號|店名|順序"), listForPrint());
    preview.addText(QString());
    preview.addText(QStringLiteral("部門數：") + QString::number(fgStore_->rows() - 1));
    preview.endDocument();
    preview.showDocument();
    elaMsg_->setCaption(QString());
  } catch (...) {
    ReportError(ErrorLabel());
  }
}
