#include "windows/reports/ActivityLogWindow.h"

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
#include "ui/CodePicker.h"
#include "windows/CodePickerRows.h"
#include "ui/PrintPreviewWindow.h"
#include "windows/reports/ReportWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kCsvFolderKey = QStringLiteral("CsvDir");

// "|" and ";" separate the cells and rows of a printed table.
QString printCell(QString text) {
  return text.replace(QLatin1Char('|'), QChar(0xFF5C)).replace(QLatin1Char(';'), QChar(0xFF1B));
}

QDate fieldDate(const QLineEdit* field) {
  const QString saved = DateForStorage(DateWithSeparators(field->text()));
  return saved.isEmpty() ? QDate() : ToDateTime(saved)->date();
}

}  // namespace

ActivityLogWindow::ActivityLogWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmLog"));
  setWindowTitle(QStringLiteral("作業記錄檢視"));
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buildFilters());
  fgLog_ = new DataGrid(this);
  fgLog_->setFillWidth(true);
  fgLog_->setObjectName(QStringLiteral("fgLog"));
  fgLog_->setHeadings(kApLogHeadings);
  layout->addWidget(fgLog_, 1);
  layout->addLayout(buildButtons());
  layout->addWidget(elaMsg_);

  InstallDateField(txtDateB_, elaMsg_);
  InstallDateField(txtDateE_, elaMsg_);
  InstallCodeField(txtActionID_, PickerRows(ActivityActions), txtActionDscp_, QStringLiteral("作業代號"),
                   QStringLiteral("說明"))
      ->setCheck([this](QLineEdit*) { return showActionDescription(); });
  for (QLineEdit* f : {txtProgID_, txtUserID_, txtLoginWS_}) FieldBehaviour::install(f);

  resize(900, 560);
  OpenFieldsForInput(this);
  ClearInputFields(this);
  cboOutcome_->setCurrentIndex(0);  // every row until the operator narrows it
  const QString today = DateFieldText(Today());
  txtDateB_->setText(today);
  txtDateE_->setText(today);
}

QLayout* ActivityLogWindow::buildFilters() {
  auto* grid = new QGridLayout;
  auto add = [&](const char* name, const QString& caption, int row, int col) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    if (!caption.isEmpty()) {
      auto* label = new QLabel(caption, this);
      label->setBuddy(edit);
      grid->addWidget(label, row, col * 2, Qt::AlignRight);
    }
    grid->addWidget(edit, row, col * 2 + 1);
    return edit;
  };
  txtDateB_ = add("txtDateB", QStringLiteral("起始日期"), 0, 0);
  txtDateE_ = add("txtDateE", QStringLiteral("截止日期"), 0, 1);
  // A date is short: its field keeps its own width however wide the window is.
  for (QLineEdit* date : {txtDateB_, txtDateE_}) {
    date->setMaximumWidth(140);
    grid->setAlignment(date, Qt::AlignLeft);
  }
  txtActionID_ = add("txtActionID", QStringLiteral("作業代號"), 1, 0);
  // The description beside its code.
  txtActionDscp_ = new QLineEdit(this);
  txtActionDscp_->setObjectName(QStringLiteral("txtActionDscp"));
  txtActionDscp_->setFocusPolicy(Qt::ClickFocus);  // shown, not typed
  auto* action = new QHBoxLayout;
  grid->removeWidget(txtActionID_);
  txtActionID_->setMaximumWidth(140);
  action->addWidget(txtActionID_);
  action->addWidget(txtActionDscp_, 1);
  grid->addLayout(action, 1, 1);
  txtProgID_ = add("txtProgID", QStringLiteral("程式"), 2, 0);
  txtUserID_ = add("txtUserID", QStringLiteral("使用者"), 2, 1);
  txtLoginWS_ = add("txtLoginWS", QStringLiteral("工作站"), 3, 0);
  // Failures (the program could not finish) and refusals (the operator's input was declined)
  // are told apart by the remark their log rows carry.
  cboOutcome_ = new QComboBox(this);
  cboOutcome_->setObjectName(QStringLiteral("cboOutcome"));
  cboOutcome_->addItem(QStringLiteral("全部記錄"), QString());
  cboOutcome_->addItem(QStringLiteral("只列失敗記錄(") + kApFailRemark + QLatin1Char(')'), kApFailRemark);
  cboOutcome_->addItem(QStringLiteral("只列拒絕記錄(") + kApRefusedRemark + QLatin1Char(')'), kApRefusedRemark);
  auto* outcome = new QLabel(QStringLiteral("記錄類別"), this);
  outcome->setBuddy(cboOutcome_);
  grid->addWidget(outcome, 3, 2, Qt::AlignRight);
  grid->addWidget(cboOutcome_, 3, 3, Qt::AlignLeft);
  txtDateB_->setToolTip(QStringLiteral("按兩下或F8選擇日期"));
  txtDateE_->setToolTip(txtDateB_->toolTip());
  txtActionID_->setToolTip(QStringLiteral("按兩下或F8選擇作業代號"));
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return grid;
}

QLayout* ActivityLogWindow::buildButtons() {
  return ReportButtonRow(this, {[this] { listRows(); }, [this] { printList(); }, [this] { saveAsCsv(); },
                                [this] { closeWindow(); }});
}

QLineEdit* ActivityLogWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }

bool ActivityLogWindow::showActionDescription() {
  // Actions without a description are listed as well, so any code is accepted.
  txtActionDscp_->setText(ActivityDescription(txtActionID_->text().trimmed()));
  return true;
}

std::optional<ActivityLogFilter> ActivityLogWindow::filter() {
  ActivityLogFilter f;
  for (QLineEdit* date : {txtDateB_, txtDateE_}) {
    if (date->text().trimmed().isEmpty()) continue;
    if (!CheckDateField(date, elaMsg_)) {
      date->setFocus();
      date->selectAll();
      return std::nullopt;
    }
  }
  f.first = fieldDate(txtDateB_);
  f.last = fieldDate(txtDateE_);
  if (f.first.isValid() && f.last.isValid() && f.first > f.last) {
    ShowStatusMessage(elaMsg_, QStringLiteral("起始日期不可大於截止日期"));
    txtDateE_->setFocus();
    return std::nullopt;
  }
  f.actionID = txtActionID_->text();
  f.progID = txtProgID_->text();
  f.userID = txtUserID_->text();
  f.workstation = txtLoginWS_->text();
  f.remark = cboOutcome_->currentData().toString();
  return f;
}

void ActivityLogWindow::listRows() {
  try {
    const auto f = filter();
    if (!f) return;
    showActionDescription();
    const Fetched<QList<QStringList>> found = ActivityLogRows(OperationContext::Current(), *f);
    if (!found) return ReportError(ErrorLabel(), found.failure);
    const QList<QStringList>& rows = *found;
    fgLog_->setUpdatesEnabled(false);
    fgLog_->clearRows();
    for (const QStringList& r : rows) fgLog_->addRow(r);
    fgLog_->fitColumnWidths();
    fgLog_->setUpdatesEnabled(true);
    // The list prints with the conditions it was made of, even when the fields change later.
    listConditions_ = conditionLines();
    ShowStatusMessage(elaMsg_, rows.isEmpty() ? QStringLiteral("查無資料") : QStringLiteral("共 %1 筆").arg(rows.size()), 0);
  } catch (...) {
    fgLog_->setUpdatesEnabled(true);
    ReportError(ErrorLabel());
  }
}

QStringList ActivityLogWindow::conditionLines() const {
  const QString b = txtDateB_->text().trimmed(), e = txtDateE_->text().trimmed();
  QStringList lines{QStringLiteral("日期：") + RangeText(b, e)};
  const QString action = txtActionID_->text().trimmed();
  if (!action.isEmpty()) lines << QStringLiteral("作業代號：") + action + QLatin1Char('-') + txtActionDscp_->text();
  const std::pair<QString, const QLineEdit*> fields[] = {
      {QStringLiteral("程式："), txtProgID_}, {QStringLiteral("使用者："), txtUserID_}, {QStringLiteral("工作站："), txtLoginWS_}};
  for (const auto& [label, field] : fields) {
    if (!field->text().trimmed().isEmpty()) lines << label + field->text().trimmed();
  }
  if (cboOutcome_->currentIndex() > 0) lines << QStringLiteral("記錄類別：") + cboOutcome_->currentText();
  return lines;
}

QString ActivityLogWindow::listForPrint() const {
  QStringList rows;
  for (int r = 1; r < fgLog_->rows(); ++r) {
    QStringList cells;
    // The action by its description when it has one; program and code stay on screen.
    const QString dscp = fgLog_->textMatrix(r, 2);
    cells << printCell(fgLog_->textMatrix(r, 0)) << printCell(dscp.isEmpty() ? fgLog_->textMatrix(r, 1) : dscp);
    for (int c = 3; c <= 6; ++c) cells << printCell(fgLog_->textMatrix(r, c));
    rows << cells.join(QLatin1Char('|'));
  }
  return rows.join(QLatin1Char(';'));
}

void ActivityLogWindow::printList() {
  try {
    if (fgLog_->rows() <= 1) {
      ShowStatusMessage(elaMsg_, QStringLiteral("無資料可列印"));
      return;
    }
    PrintPreviewWindow preview(this);
    preview.startDocument(QStringLiteral("作業記錄"));
    // The message column is long: across the page, and its cells wrap.
    preview.doc().setLandscape(true);
    for (const QString& line : listConditions_) preview.addText(line);
    preview.addTable(QStringLiteral("<2000|<1500|<7400|<1400|<1300|<1300"),
                     QStringLiteral("記錄時間|作業|記錄內容|備註|使用者|工作站"), listForPrint());
    preview.addText(QString());
    preview.addText(QStringLiteral("筆數：") + QString::number(fgLog_->rows() - 1));
    preview.endDocument();
    preview.showDocument();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void ActivityLogWindow::saveAsCsv() {
  try {
    if (fgLog_->rows() <= 1) {
      ShowStatusMessage(elaMsg_, QStringLiteral("無資料可存檔"));
      return;
    }
    const QString folder = GetSetting(objectName(), kCsvFolderKey, TheSettings().appPath);
    const QString file = Dialogs().saveFileName(QStringLiteral("存成CSV檔"), QStringLiteral("CSV (*.csv)"),
                                                WithTrailingSeparator(folder) + QStringLiteral("作業記錄.csv"));
    if (file.isEmpty()) return;
    QList<QStringList> rows;
    for (int r = 1; r < fgLog_->rows(); ++r) {
      QStringList cells;
      for (int c = 0; c < fgLog_->cols(); ++c) cells << fgLog_->textMatrix(r, c);
      rows << cells;
    }
    if (!WriteCsvFile(file, CsvText(kApLogHeadings.split(QLatin1Char('|')), rows))) {
      ShowStatusMessage(elaMsg_, QStringLiteral("存檔失敗"));
      return;
    }
    SaveSetting(objectName(), kCsvFolderKey, QFileInfo(file).absolutePath());
    ShowStatusMessage(elaMsg_, QStringLiteral("存檔完成"), 0);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void ActivityLogWindow::closeWindow() { hide(); }

void ActivityLogWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
