#include "windows/reports/ReportWindow.h"

#include "ui/ErrorReports.h"
#include "core/Clock.h"
#include "core/CsvFile.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "operations/StoreSettings.h"
#include "ui/CodePicker.h"
#include "windows/CodePickerRows.h"
#include "ui/PrintPreviewWindow.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kCsvFolderKey = QStringLiteral("CsvDir");

QString printCell(QString text) {
  return text.replace(QLatin1Char('|'), QChar(0xFF5C)).replace(QLatin1Char(';'), QChar(0xFF1B));
}

QDate fieldDate(const QLineEdit* field) {
  const QString saved = DateForStorage(DateWithSeparators(field->text()));
  return saved.isEmpty() ? QDate() : ToDateTime(saved)->date();
}

QLineEdit* newField(QWidget* parent, const QString& name) {
  auto* f = new QLineEdit(parent);
  f->setObjectName(name);
  return f;
}

}  // namespace

QString GridPrintText(const DataGrid* grid, const QList<int>& columns) {
  QStringList rows;
  for (int r = 1; r < grid->rows(); ++r) {
    QStringList cells;
    for (int c : columns) cells << printCell(grid->textMatrix(r, c));
    rows << cells.join(QLatin1Char('|'));
  }
  return rows.join(QLatin1Char(';'));
}

QString RangeText(const QString& first, const QString& last) {
  if (first.isEmpty() && last.isEmpty()) return QStringLiteral("全部");
  const QString open = QStringLiteral("不限");
  return (first.isEmpty() ? open : first) + QLatin1Char('-') + (last.isEmpty() ? open : last);
}

void SaveGridAsCsv(QWidget* form, const DataGrid* grid, const QString& fileName, StatusPanel* panel) {
  try {
    if (grid->rows() <= 1) {
      ShowStatusMessage(panel, QStringLiteral("無資料可存檔"));
      return;
    }
    const QString folder = GetSetting(form->objectName(), kCsvFolderKey, TheSettings().appPath);
    const QString file = Dialogs().saveFileName(QStringLiteral("存成CSV檔"), QStringLiteral("CSV (*.csv)"),
                                                WithTrailingSeparator(folder) + fileName + QStringLiteral(".csv"));
    if (file.isEmpty()) return;
    QStringList headings;
    QList<QStringList> rows;
    for (int c = 0; c < grid->cols(); ++c) headings << grid->textMatrix(0, c);
    for (int r = 1; r < grid->rows(); ++r) {
      QStringList cells;
      for (int c = 0; c < grid->cols(); ++c) cells << grid->textMatrix(r, c);
      rows << cells;
    }
    if (!WriteCsvFile(file, CsvText(headings, rows))) {
      ShowStatusMessage(panel, QStringLiteral("存檔失敗"));
      return;
    }
    SaveSetting(form->objectName(), kCsvFolderKey, QFileInfo(file).absolutePath());
    ShowStatusMessage(panel, QStringLiteral("存檔完成"), 0);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

PeriodFields AddPeriodFields(QWidget* page, QGridLayout* grid, const QString& datePrefix, const QString& dateLabel,
                             const QString& storeLabel) {
  PeriodFields f{newField(page, datePrefix + QLatin1Char('B')), newField(page, datePrefix + QLatin1Char('E')),
                 newField(page, QStringLiteral("txtStoreID")), newField(page, QStringLiteral("txtStoreName"))};
  TypeInCapitals(f.storeId);
  f.storeName->setReadOnly(true);
  f.storeName->setFocusPolicy(Qt::ClickFocus);
  f.first->setToolTip(QStringLiteral("按兩下或F8選擇日期"));
  f.last->setToolTip(f.first->toolTip());
  f.storeId->setToolTip(QStringLiteral("按兩下或F8選擇部門"));
  grid->addWidget(new QLabel(dateLabel, page), 0, 0, Qt::AlignRight);
  grid->addWidget(f.first, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("-至-"), page), 0, 2);
  grid->addWidget(f.last, 0, 3);
  grid->addWidget(new QLabel(storeLabel, page), 1, 0, Qt::AlignRight);
  grid->addWidget(f.storeId, 1, 1);
  grid->addWidget(f.storeName, 1, 2, 1, 2);
  return f;
}

QLayout* ReportButtonRow(QWidget* form, const ReportActions& on) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto add = [&](const char* name, const QString& caption, const std::function<void()>& action) {
    auto* b = new QPushButton(caption, form);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    row->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, form, action);
    return b;
  };
  add("cmdQry", QStringLiteral("查詢"), on.query);
  add("cmdPrint", QStringLiteral("列印"), on.print);
  add("cmdSave", QStringLiteral("存成CSV"), on.save);
  SkipFieldChecks(add("cmdExit", QStringLiteral("&Z結束"), on.exit));
  return row;
}

ReportWindow::ReportWindow(const ReportNames& names, QWidget* parent) : QWidget(parent, Qt::Window), names_(names) {
  setObjectName(names.form);
  setWindowTitle(names.caption);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  auto* layout = new QVBoxLayout(this);
  tabPage_ = new QTabWidget(this);
  tabPage_->setObjectName(QStringLiteral("tabPage"));
  tabPage_->addTab(buildConditions(), QStringLiteral("列印條件"));
  tabPage_->addTab(buildData(), QStringLiteral("資料視窗"));
  layout->addWidget(tabPage_, 1);
  layout->addLayout(ReportButtonRow(this, {[this] { listRows(); }, [this] { printList(); },
                                            [this] { saveAsCsv(); }, [this] { closeWindow(); }}));
  layout->addWidget(elaMsg_);

  InstallDateField(txtDateB_, elaMsg_);
  InstallDateField(txtDateE_, elaMsg_);
  InstallCodeField(txtStoreID_, PickerRows(StoresToPick), txtStoreName_, QStringLiteral("店代號"), QStringLiteral("店名"))
      ->setCheck([this](QLineEdit*) { return checkStore(); });
  connect(txtStoreID_, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (t.trimmed().isEmpty()) txtStoreName_->clear();
  });
  resize(760, 520);
  OpenFieldsForInput(this);
  ClearInputFields(this);
  // Shown, not typed.
  SetBackground(txtStoreName_, kInputClosed);
  SetBackground(txtCnt_, kInputClosed);
}

QWidget* ReportWindow::buildConditions() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  const PeriodFields f = AddPeriodFields(page, grid, names_.datePrefix, names_.dateLabel, QStringLiteral("部門別"));
  txtDateB_ = f.first;
  txtDateE_ = f.last;
  txtStoreID_ = f.storeId;
  txtStoreName_ = f.storeName;
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(4, 1);
  return page;
}

QWidget* ReportWindow::buildData() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  fgList_ = new DataGrid(page);
  fgList_->setFillWidth(true);
  fgList_->setObjectName(QStringLiteral("fgList"));
  fgList_->setHeadings(names_.headings);
  layout->addWidget(fgList_, 1);
  auto* foot = new QHBoxLayout;
  txtCnt_ = newField(page, names_.countName);
  txtCnt_->setReadOnly(true);
  txtCnt_->setMaximumWidth(100);
  lblTotal_ = new QLabel(page);
  lblTotal_->setObjectName(QStringLiteral("lblTotal"));
  foot->addWidget(new QLabel(names_.countLabel, page));
  foot->addWidget(txtCnt_);
  foot->addSpacing(16);
  foot->addWidget(lblTotal_, 1);
  layout->addLayout(foot);
  return page;
}

QLineEdit* ReportWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }
QString ReportWindow::totalText() const { return lblTotal_->text(); }
QString ReportWindow::storeName() const { return txtStoreName_->text(); }

bool ReportWindow::checkStore() {
  try {
    const QString code = txtStoreID_->text().trimmed();
    if (code.isEmpty()) return true;
    const Fetched<std::optional<QString>> found = FindStore(OperationContext::Current(), code);
    if (!found) {
      ReportError(ErrorLabel(), found.failure);
      return false;
    }
    const std::optional<QString>& name = *found;
    if (!name) {
      txtStoreName_->clear();
      ShowStatusMessage(elaMsg_, QStringLiteral("無此店代號"));
      return false;
    }
    txtStoreName_->setText(*name);
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

std::optional<ReportFilter> ReportWindow::filter() {
  for (QLineEdit* date : {txtDateB_, txtDateE_}) {
    if (date->text().trimmed().isEmpty()) continue;
    if (!CheckDateField(date, elaMsg_)) {
      tabPage_->setCurrentIndex(0);
      date->setFocus();
      return std::nullopt;
    }
  }
  ReportFilter f{fieldDate(txtDateB_), fieldDate(txtDateE_), txtStoreID_->text().trimmed()};
  if (f.first.isValid() && f.last.isValid() && f.first > f.last) {
    ShowStatusMessage(elaMsg_, QStringLiteral("起始日期不可大於截止日期"));
    tabPage_->setCurrentIndex(0);
    return std::nullopt;
  }
  if (!f.store.isEmpty() && !checkStore()) {
    tabPage_->setCurrentIndex(0);
    return std::nullopt;
  }
  return f;
}

bool ReportWindow::queryRows() {
  try {
    const auto f = filter();
    if (!f) return false;
    fgList_->setUpdatesEnabled(false);
    fgList_->clearRows();
    const Fetched<QString> total = fillList(*f);
    if (!total) {
      fgList_->setUpdatesEnabled(true);
      ReportError(ErrorLabel(), total.failure);
      return false;
    }
    lblTotal_->setText(*total);
    txtCnt_->setText(QString::number(fgList_->rows() - 1));
    fgList_->fitColumnWidths();
    fgList_->setUpdatesEnabled(true);
    return true;
  } catch (...) {
    fgList_->setUpdatesEnabled(true);
    ReportError(ErrorLabel());
    return false;
  }
}

void ReportWindow::listRows() {
  if (!queryRows()) return;
  tabPage_->setCurrentIndex(1);
  ShowStatusMessage(elaMsg_, fgList_->rows() <= 1 ? QStringLiteral("查無資料") : QStringLiteral("共 %1 筆").arg(fgList_->rows() - 1), 0);
}

QStringList ReportWindow::closingLines() const {
  QStringList lines{QString(), names_.countLabel + QStringLiteral("：") + txtCnt_->text()};
  if (!lblTotal_->text().isEmpty()) lines << lblTotal_->text();
  return lines;
}

void ReportWindow::printList() {
  try {
    if (!queryRows()) return;
    ShowStatusMessage(elaMsg_, QStringLiteral("列印中...."), 0);
    PrintPreviewWindow preview(this);
    preview.startDocument(docTitle());
    printBody(preview);
    for (const QString& line : closingLines()) preview.addText(line);
    preview.endDocument();
    preview.showDocument();
    ShowStatusMessage(elaMsg_, QString(), 0);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

QString ReportWindow::listForPrint(const QList<int>& columns) const { return GridPrintText(fgList_, columns); }

QStringList ReportWindow::conditionLines(const QString& storeLabel) const {
  const QString store = txtStoreID_->text().trimmed();
  return {names_.dateLabel + QStringLiteral("：") + RangeText(txtDateB_->text().trimmed(), txtDateE_->text().trimmed()),
          storeLabel + QStringLiteral("：") +
              (store.isEmpty() ? QStringLiteral("全部") : store + QLatin1Char('-') + txtStoreName_->text())};
}

void ReportWindow::saveAsCsv() { SaveGridAsCsv(this, fgList_, names_.caption, elaMsg_); }

void ReportWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
