#include "windows/reports/ActivityLogWindow.h"

#include "ui/ErrorReports.h"
#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/LongListGrid.h"
#include "ui/CodePicker.h"
#include "windows/CodePickerRows.h"
#include "windows/reports/ReportWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QDate fieldDate(const QLineEdit* field) {
  const QString saved = DateForStorage(DateWithSeparators(field->text()));
  return saved.isEmpty() ? QDate() : ToDayAndTime(saved)->day;
}

}  // namespace

ActivityLogWindow::ActivityLogWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmLog"));
  setWindowTitle(QStringLiteral("作業記錄檢視"));
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buildFilters());
  fgLog_ = new LongListGrid(this);
  fgLog_->setObjectName(QStringLiteral("fgLog"));
  fgLog_->setHeadings(kApLogHeadings.split(QLatin1Char('|')));
  // Typical texts of the columns; the log message takes the rest of the width.
  fgLog_->setColumnSamples({DateForDisplay(QDate(2000, 12, 28)) + QStringLiteral(" 23:59:58"), QString(),
                            QStringLiteral("作業說明作業說明"), QString(), kApFailRemark, QStringLiteral("USER000000"),
                            QStringLiteral("WORKSTATION-00"), QStringLiteral("TOLVA000")},
                           3);
  layout->addWidget(fgLog_, 1);
  layout->addLayout(buildButtons());
  layout->addWidget(elaMsg_);

  InstallDateField(txtDateB_, elaMsg_);
  InstallDateField(txtDateE_, elaMsg_);
  InstallCodeField(txtActionID_, PickerRows(ActivityActions), txtActionDscp_, QStringLiteral("作業代號"),
                   QStringLiteral("說明"))
      ->setCheck([this](QLineEdit*) { return showActionDescription(); });
  for (QLineEdit* f : {txtProgID_, txtUserID_, txtLoginWS_}) FieldBehaviour::install(f);

  watchListEnd();
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
  const QString action = txtActionID_->text().trimmed();
  txtActionDscp_->setText(action.isEmpty() ? QString() : ActivityDescription(action));
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
    const Fetched<ActivityLogPage> page = ActivityLogRows(OperationContext::Current(), *f, std::nullopt, firstPageRows());
    if (!page) return ReportError(ErrorLabel(), page.failure);
    more_ = false;  // clearing moves the scroll bar: no page of the old list may follow
    lastRNo_.reset();
    fgLog_->clearRows();
    listed_ = *f;
    appendPage(*page);
    // The list prints with the conditions it was made of, even when the fields change later.
    listConditions_ = conditionLines();
    ShowStatusMessage(elaMsg_, listStatus(), 0);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

int ActivityLogWindow::firstPageRows() const { return isVisible() ? std::max(1, fgLog_->screenRows()) : kPageRows; }

void ActivityLogWindow::watchListEnd() {
  QScrollBar* bar = fgLog_->verticalScrollBar();
  connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
    if (value == bar->maximum()) queueNextPage();
  });
  // A page came, or the window grew: a list that no longer fills it goes on.
  connect(bar, &QScrollBar::rangeChanged, this, [this, bar] {
    if (bar->value() == bar->maximum()) queueNextPage();
  });
  connect(fgLog_, &LongListGrid::currentRowChanged, this, [this](int row) {
    if (row == fgLog_->rows() - 2) queueNextPage();
  });
}

void ActivityLogWindow::queueNextPage() {
  // One key press can reach the end twice (Ctrl+End moves the row and the scroll bar): one
  // fetch for both, once the view has settled.
  if (!more_ || pageQueued_) return;
  pageQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    pageQueued_ = false;
    if (atListEnd()) fetchNextPage();
  });
}

bool ActivityLogWindow::atListEnd() const {
  const QScrollBar* bar = fgLog_->verticalScrollBar();
  const int last = fgLog_->rows() - 2;
  return last >= 0 && isVisible() && (bar->value() == bar->maximum() || fgLog_->currentRow() == last);
}

void ActivityLogWindow::fetchNextPage() {
  if (!more_ || !listed_) return;
  try {
    const Fetched<ActivityLogPage> page = ActivityLogRows(OperationContext::Current(), *listed_, lastRNo_, kPageRows);
    if (!page) return ReportError(ErrorLabel(), page.failure);
    appendPage(*page);
    // Without the flash of a new list: scrolling on is not held up.
    elaMsg_->setCaption(listStatus());
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void ActivityLogWindow::appendPage(const ActivityLogPage& page) {
  // The key and the filter first: rows that leave the view unfilled ask for the next page.
  if (!page.rows.isEmpty()) lastRNo_ = page.lastRNo;
  more_ = page.more;
  fgLog_->appendRows(page.rows);
}

QString ActivityLogWindow::listStatus() const {
  const int n = fgLog_->rows() - 1;
  if (n == 0) return QStringLiteral("查無資料");
  if (more_) return QStringLiteral("已列出前 %1 筆，捲動至底可列出更多").arg(n);
  return QStringLiteral("共 %1 筆").arg(n);
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

void ActivityLogWindow::closeWindow() { hide(); }

void ActivityLogWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
