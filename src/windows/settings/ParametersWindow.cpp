#include "windows/settings/ParametersWindow.h"

#include "core/ErrorReport.h"
#include "core/Ini.h"
#include "core/Money.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "operations/ActivityLog.h"
#include "operations/ParameterSettings.h"
#include "operations/StoreSettings.h"
#include "ui/CodePicker.h"
#include "windows/CodePickerRows.h"
#include "ui/ErrorReports.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const QString kAction = QStringLiteral("系統參數設定");
const QString kBalAmtLimit = kBalAmtLimitParam;
const QString kPointRate = kPointRateParam;

// The operator text for an amount field, empty when the text is a number not below zero or
// empty ("not set").
QString amountProblem(const QString& text) {
  if (text.trimmed().isEmpty()) return QString();
  const std::optional<Money> value = Money::parse(text);
  if (!value) return NotAnAmountText(text, QStringLiteral("請輸入數字"));
  if (*value < Money()) return QStringLiteral("不可小於零");
  return QString();
}

// The stored form of an amount: the plain number, or empty when not set.
QString amountText(const QString& text) {
  const std::optional<Money> value = Money::parse(text);
  return text.trimmed().isEmpty() || !value ? QString() : value->toString();
}
}  // namespace

ParametersWindow::ParametersWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmSettingParam"));
  setWindowTitle(QStringLiteral("系統參數設定"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  auto field = [&](const char* name, const QString& caption, int row, int maxLength) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    if (!caption.isEmpty()) {
      auto* label = new QLabel(caption, this);
      label->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(name).mid(3));
      label->setBuddy(edit);
      grid->addWidget(label, row, 0, Qt::AlignRight);
    }
    return edit;
  };
  // Codes are not cut by the field: a pasted four-character code must be refused, not shortened.
  txtStoreID_ = field("txtStoreID", QStringLiteral("本機店代號"), 0, 32);
  TypeInCapitals(txtStoreID_);
  txtStoreName_ = field("txtStoreName", QString(), 0, 100);
  txtStoreName_->setFocusPolicy(Qt::NoFocus);  // shown only
  txtStoreID_->setMaximumWidth(90);
  auto* storeRow = new QHBoxLayout;
  storeRow->addWidget(txtStoreID_);
  storeRow->addWidget(txtStoreName_, 1);
  grid->addLayout(storeRow, 0, 1);
  txtBorixPort_ = field("txtBorixPort", QStringLiteral("讀卡機連接埠"), 1, 127);  // INI values hold 127 characters
  txtBalAmtLimit_ = field("txtBalAmtLimit", QStringLiteral("餘額上限"), 2, 20);
  txtPointRate_ = field("txtPointRate", QStringLiteral("紅利點數比率"), 3, 20);
  for (QLineEdit* e : {txtBorixPort_, txtBalAmtLimit_, txtPointRate_}) {
    e->setMaximumWidth(160);
  }
  grid->addWidget(txtBorixPort_, 1, 1, Qt::AlignLeft);
  grid->addWidget(txtBalAmtLimit_, 2, 1, Qt::AlignLeft);
  // What the rate means, with an example: the operator sets it once and rarely again.
  auto* rateRow = new QHBoxLayout;
  rateRow->addWidget(txtPointRate_);
  auto* rateHint = new QLabel(QStringLiteral("每消費1元可得的點數（例：0.01 表示每消費100元得1點，不足1點不計）"), this);
  rateHint->setObjectName(QStringLiteral("lblPointRateHint"));
  rateHint->setWordWrap(true);
  rateRow->addWidget(rateHint, 1);
  grid->addLayout(rateRow, 3, 1);
  txtPointRate_->setToolTip(rateHint->text());
  auto* hint = new QLabel(QStringLiteral("空白表示不設定"), this);
  hint->setObjectName(QStringLiteral("lblHint"));
  grid->addWidget(hint, 4, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  layout->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* cmdSave = new QPushButton(QStringLiteral("存檔"), this);
  cmdSave->setObjectName(QStringLiteral("cmdSave"));
  auto* cmdExit = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  for (QPushButton* b : {cmdSave, cmdExit}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);

  InstallCodeField(txtStoreID_, PickerRows(StoresToPick), txtStoreName_, QStringLiteral("店代號"), QStringLiteral("店名"))
      ->setCheck([this](QLineEdit*) { return checkStore(); });
  FieldBehaviour::install(txtBorixPort_);
  FieldBehaviour::install(txtBalAmtLimit_)->setCheck([this](QLineEdit*) { return checkBalanceLimit(); });
  FieldBehaviour::install(txtPointRate_)->setCheck([this](QLineEdit*) { return checkPointRate(); });
  connect(cmdSave, &QPushButton::clicked, this, &ParametersWindow::saveParameters);
  connect(cmdExit, &QPushButton::clicked, this, &ParametersWindow::closeWindow);
  SkipFieldChecks(cmdExit);

  resize(460, 250);
  loadParameters();
}

void ParametersWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  CenterForm(this);
  // The menu hides this window without asking; what the operator typed and did not save yet
  // is still there when the window comes back.
  if (fieldTexts() == loaded_) loadParameters();
}

void ParametersWindow::loadParameters() {
  try {
    OpenFieldsForInput(this);
    ClearInputFields(this);
    txtStoreID_->setText(TheSettings().storeId);
    const Fetched<std::optional<QString>> name = FindStore(OperationContext::Current(), TheSettings().storeId);
    if (!name) return ReportError(ErrorLabel(), name.failure);
    if (*name) txtStoreName_->setText(**name);
    txtBorixPort_->setText(TheSettings().readerPort);
    txtBalAmtLimit_->setText(ParameterText(kBalAmtLimit));
    txtPointRate_->setText(ParameterText(kPointRate));
    loaded_ = fieldTexts();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool ParametersWindow::checkStore() {
  try {
    QString problem = StoreCodeProblem(txtStoreID_->text());
    QString name;
    if (problem.isEmpty()) {
      const Fetched<std::optional<QString>> found = FindStore(OperationContext::Current(), txtStoreID_->text().trimmed());
      if (!found) {
        ReportError(ErrorLabel(), found.failure);
        return false;
      }
      if (*found) name = **found;
      else problem = QStringLiteral("無此店代號");
    }
    txtStoreName_->setText(name);
    if (problem.isEmpty()) return true;
    ShowStatusMessage(elaMsg_, problem);
    return false;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

bool ParametersWindow::checkAmount(QLineEdit* field) {
  const QString problem = amountProblem(field->text());
  if (problem.isEmpty()) return true;
  ShowStatusMessage(elaMsg_, problem);
  return false;
}

bool ParametersWindow::checkBalanceLimit() { return checkAmount(txtBalAmtLimit_); }
bool ParametersWindow::checkPointRate() { return checkAmount(txtPointRate_); }

bool ParametersWindow::checkFields() {
  auto refuse = [](QLineEdit* field) {
    field->setFocus();
    field->selectAll();
    return false;
  };
  if (txtStoreID_->text().trimmed().isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("請輸入店代號"));
    return refuse(txtStoreID_);
  }
  if (!checkStore()) return refuse(txtStoreID_);
  if (!checkBalanceLimit()) return refuse(txtBalAmtLimit_);
  if (!checkPointRate()) return refuse(txtPointRate_);
  return true;
}

bool ParametersWindow::save(QStringList& changes) {
  const QString store = txtStoreID_->text().trimmed();
  const QString port = txtBorixPort_->text().trimmed();
  const QString limit = amountText(txtBalAmtLimit_->text());
  const QString rate = amountText(txtPointRate_->text());
  changes << QStringLiteral("StoreID=") + store << QStringLiteral("BorixPort=") + port
          << kBalAmtLimit + QLatin1Char('=') + limit << kPointRate + QLatin1Char('=') + rate;
  // The three rows go together; the INI line is written only once they are committed, so that
  // a refused commit leaves every old setting in place.
  const Fetched<bool> saved = WithErrorReports([&] { return SaveParameters(OperationContext::Current(), store, limit, rate); });
  if (!saved.ok()) ReportError(ErrorLabel(), saved.failure);
  if (!saved.ok() || !*saved) return false;
  EditSettings().storeId = store;
  txtBalAmtLimit_->setText(limit);
  txtPointRate_->setText(rate);
  const bool portSaved = WriteIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("BorixPort"), port);
  if (portSaved) EditSettings().readerPort = port;
  // What is saved counts as loaded; a port the INI refused stays an unsaved edit (the second
  // of the field texts).
  loaded_ = fieldTexts();
  if (!portSaved) loaded_[1] = TheSettings().readerPort;
  return portSaved;
}

void ParametersWindow::saveParameters() {
  QStringList changes;
  try {
    if (!checkFields()) return;
    if (save(changes)) {
      LogActivity(kAction, changes.join(QLatin1Char(' ')));
      ShowStatusMessage(elaMsg_, QStringLiteral("存檔完成"));
      return;
    }
  } catch (...) {
    ReportError(ErrorLabel());
  }
  LogActivity(kAction, changes.join(QLatin1Char(' ')), QStringLiteral("系統錯誤"));
  ShowStatusMessage(elaMsg_, QStringLiteral("存檔失敗"));
}

QStringList ParametersWindow::fieldTexts() const {
  return {txtStoreID_->text(), txtBorixPort_->text(), txtBalAmtLimit_->text(), txtPointRate_->text()};
}

bool ParametersWindow::mayDiscardEdits() {
  if (fieldTexts() == loaded_) return true;
  if (!Dialogs().askYesNo(QStringLiteral("資料尚未存檔，確定放棄？"), TheSettings().appName)) return false;
  loadParameters();
  return true;
}

void ParametersWindow::closeWindow() {
  if (mayDiscardEdits()) hide();
}

void ParametersWindow::closeEvent(QCloseEvent* event) {
  if (mayDiscardEdits()) event->accept();
  else event->ignore();
}
