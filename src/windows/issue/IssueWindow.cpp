#include "windows/issue/IssueWindow.h"
#include "device/CardFace.h"

#include "ui/ErrorReports.h"
#include "core/ErrorReport.h"
#include "core/Money.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "ui/CardMessagePanel.h"
#include "operations/CardIssue.h"
#include "operations/StoreSettings.h"
#include "windows/CodePickerRows.h"
#include "ui/CodePicker.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kMaxStoreID = 3;
constexpr int kMaxRemark = 3;

QLineEdit* newField(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  return field;
}

QLabel* newLabel(QWidget* parent, const char* name, const QString& text, QLineEdit* buddy) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setBuddy(buddy);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

}  // namespace

IssueWindow::IssueWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmIsuCard"));
  setWindowTitle(QStringLiteral("發卡"));
  auto* layout = new QVBoxLayout(this);
  tabPage_ = new QTabWidget(this);
  tabPage_->setObjectName(QStringLiteral("tabPage"));
  auto* page0 = new QWidget(tabPage_);
  auto* page1 = new QWidget(tabPage_);
  tabPage_->addTab(page0, QStringLiteral("發卡"));
  tabPage_->addTab(page1, QStringLiteral("作業訊息"));
  layout->addWidget(tabPage_, 1);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  buildIssuePage(page0);
  buildLogPage(page1);
  layout->addWidget(elaMsg_);
  connect(tabPage_, &QTabWidget::currentChanged, this, &IssueWindow::scrollLogOnShow);
  resize(620, 560);
  resetWindow();
}

void IssueWindow::buildIssuePage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  txtCardType_ = newField(page, "txtCardType");
  txtCardCnt_ = newField(page, "txtCardCnt");
  txtStoreID_ = newField(page, "txtStoreID");
  TypeInCapitals(txtStoreID_);
  txtStoreName_ = newField(page, "txtStoreName");
  txtBalAmt_ = newField(page, "txtBalAmt");
  txtRemark_ = newField(page, "txtRemark");
  txtFile_ = newField(page, "txtFile");
  // Display only: no tab stop, so the shared set-up locks it.
  txtStoreName_->setFocusPolicy(Qt::NoFocus);
  for (QLineEdit* f : {txtCardType_, txtCardCnt_, txtStoreID_, txtBalAmt_, txtRemark_}) f->setMaximumWidth(120);
  txtCardCnt_->setAlignment(Qt::AlignRight);
  txtBalAmt_->setAlignment(Qt::AlignRight);

  grid->addWidget(newLabel(page, "lblCardType", QStringLiteral("卡別"), txtCardType_), 0, 0);
  grid->addWidget(txtCardType_, 0, 1);
  grid->addWidget(newLabel(page, "lblCardCnt", QStringLiteral("發卡張數"), txtCardCnt_), 1, 0);
  grid->addWidget(txtCardCnt_, 1, 1);
  grid->addWidget(newLabel(page, "lblStoreID", QStringLiteral("店別"), txtStoreID_), 2, 0);
  grid->addWidget(txtStoreID_, 2, 1);
  grid->addWidget(txtStoreName_, 2, 2);
  grid->addWidget(newLabel(page, "lblBalAmt", QStringLiteral("起始金額"), txtBalAmt_), 3, 0);
  grid->addWidget(txtBalAmt_, 3, 1);
  grid->addWidget(newLabel(page, "lblRemark", QStringLiteral("卡片備註碼"), txtRemark_), 4, 0);
  grid->addWidget(txtRemark_, 4, 1);
  grid->addWidget(newLabel(page, "lblFile", QStringLiteral("訊息檔案"), txtFile_), 5, 0);
  grid->addWidget(txtFile_, 5, 1, 1, 2);
  grid->setColumnStretch(2, 1);
  layout->addLayout(grid);

  msgPanel_ = new CardMessagePanel(elaMsg_, 0, page);
  layout->addWidget(msgPanel_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdIsuCard_ = new QPushButton(QStringLiteral("開始發卡"), page);
  cmdIsuCard_->setObjectName(QStringLiteral("cmdIsuCard"));
  cmdExit_ = new QPushButton(QStringLiteral("&Z結束"), page);
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  buttons->addWidget(cmdIsuCard_);
  buttons->addWidget(cmdExit_);
  layout->addLayout(buttons);

  FieldBehaviour::install(txtCardType_)->setCheck([this](QLineEdit*) { return checkCardType(); });
  FieldBehaviour::install(txtCardCnt_)->setCheck([this](QLineEdit*) { return checkCardCount(); });
  FieldBehaviour::install(txtBalAmt_)->setCheck([this](QLineEdit*) { return checkBalance(); });
  FieldBehaviour::install(txtRemark_)->setCheck([this](QLineEdit*) { return checkRemark(); });
  InstallCodeField(txtStoreID_, PickerRows(StoresToPick), txtStoreName_, QStringLiteral("店代號"), QStringLiteral("店名"))
      ->setCheck([this](QLineEdit*) { return checkStore(); });
  FieldBehaviour::install(txtFile_)->setPicker([this](QLineEdit*) { chooseMessageFile(); });
  // An emptied store code leaves no stale name beside it (the check skips empty fields).
  connect(txtStoreID_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.trimmed().isEmpty()) txtStoreName_->clear();
  });
  connect(cmdIsuCard_, &QPushButton::clicked, this, &IssueWindow::issueCards);
  connect(cmdExit_, &QPushButton::clicked, this, &IssueWindow::closeWindow);
}

void IssueWindow::buildLogPage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  fgLog_ = new DataGrid(page);
  fgLog_->setObjectName(QStringLiteral("fgLog"));
  layout->addWidget(fgLog_);
}

void IssueWindow::resetWindow() {
  try {
    OpenFieldsForInput(this);
    ClearInputFields(this);
    tabPage_->setCurrentIndex(0);
    fgLog_->setHeadings(QStringLiteral("卡別|批次號|店別|卡號|可用餘額"));
    fgLog_->clearRows();
    fitLogColumns();
    txtCardType_->setText(TheSettings().defaultCardType);
    txtFile_->setText(TheSettings().cardMessageFile);
    loadMessageFile(TheSettings().cardMessageFile);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void IssueWindow::loadMessageFile(const QString& file) {
  if (msgPanel_->loadFile(file)) return;
  ShowStatusMessage(elaMsg_, QFileInfo::exists(file) ? QStringLiteral("檔案載入失敗") : QStringLiteral("訊息檔不存在"));
}

void IssueWindow::chooseMessageFile() {
  try {
    const QString chosen = CardMessagePanel::chooseFile(txtFile_->text());
    if (chosen.isEmpty()) return;
    txtFile_->setText(chosen);
    loadMessageFile(chosen);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void IssueWindow::scrollLogOnShow(int page) {
  if (page == 1 && fgLog_->rowCount() > 0) fgLog_->scrollToBottom();
}

void IssueWindow::addCommittedCardRow(const QString& cardNo, const QString& balAmt) {
  const int row = fgLog_->insertRowUnderHeading({txtCardType_->text(), TheSettings().batchNo, txtStoreID_->text(), cardNo, balAmt});
  for (int c = 0; c < fgLog_->cols(); ++c) {
    if (QTableWidgetItem* cell = fgLog_->item(row - 1, c)) cell->setTextAlignment(Qt::AlignCenter);
  }
  fitLogColumns();
}

void IssueWindow::fitLogColumns() {
  fgLog_->fitColumnWidths();
  // A little air around the centred texts.
  for (int c = 0; c < fgLog_->cols(); ++c) fgLog_->setColumnWidth(c, fgLog_->columnWidth(c) + 24);
}

bool IssueWindow::refuse(QLineEdit* field, const QString& text) {
  ShowStatusMessage(elaMsg_, text);
  SelectAll(field);
  return false;
}

bool IssueWindow::checkNumber(QLineEdit* field, const QString& belowZeroText, bool whole) {
  const auto value = Money::parse(field->text());
  // A count has to be a whole number of cards.
  if (!value) return refuse(field, NotAnAmountText(field->text(), QStringLiteral("必需為數字")));
  if (whole && !value->isWhole()) return refuse(field, QStringLiteral("必需為數字"));
  if (*value < Money()) return refuse(field, belowZeroText);
  return true;
}

bool IssueWindow::checkCardType() {
  txtCardType_->setText(txtCardType_->text().toUpper());
  return true;
}

bool IssueWindow::checkCardCount() {
  if (txtCardCnt_->text().trimmed().isEmpty() || txtCardCnt_->isReadOnly()) return true;
  return checkNumber(txtCardCnt_, QStringLiteral("張數不可小於0"), true);
}

bool IssueWindow::checkBalance() {
  if (txtBalAmt_->text().trimmed().isEmpty() || txtBalAmt_->isReadOnly()) return true;
  if (!checkNumber(txtBalAmt_, QStringLiteral("金額不可小於0"), false)) return false;
  // The card carries eight positions; a longer balance would fail every card of the run.
  if (!FitsOnCard(*Money::parse(txtBalAmt_->text()))) {
    return refuse(txtBalAmt_, QStringLiteral("金額超過卡片可記錄的位數"));
  }
  return true;
}

bool IssueWindow::checkRemark() {
  if (txtRemark_->text().trimmed().isEmpty() || txtRemark_->isReadOnly()) return true;
  if (txtRemark_->text().trimmed().size() <= kMaxRemark) return true;
  ShowMessage(QStringLiteral("卡片備註碼不可超過三碼"));
  SelectAll(txtRemark_);
  return false;
}

bool IssueWindow::checkStore() {
  try {
    const QString code = txtStoreID_->text().trimmed();
    if (code.isEmpty()) {
      txtStoreName_->clear();
      return true;
    }
    if (txtStoreID_->isReadOnly()) return true;
    if (code.size() > kMaxStoreID) return refuse(txtStoreID_, QStringLiteral("不可超過3碼"));
    QString name;
    const Fetched<bool> found = IssuingStoreName(OperationContext::Current(), code, name);
    if (!found.ok()) {
      ReportError(ErrorLabel(), found.failure);
      // A store that could not be looked up is not taken as found.
      SelectAll(txtStoreID_);
      return false;
    }
    if (!*found) {
      txtStoreName_->clear();
      return refuse(txtStoreID_, QStringLiteral("無此店代號"));
    }
    txtStoreName_->setText(name);
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    // A store that could not be looked up is not taken as found.
    SelectAll(txtStoreID_);
    return false;
  }
}

bool IssueWindow::fieldsAllowRun() {
  auto required = [this](QLineEdit* field, const QString& text) {
    if (!field->text().trimmed().isEmpty()) return true;
    return refuse(field, text);
  };
  if (!required(txtCardType_, QStringLiteral("請輸入卡別"))) return false;
  if (!required(txtCardCnt_, QStringLiteral("請輸入發卡張數"))) return false;
  // A run of no cards would end at once without a word.
  if (const auto count = Money::parse(txtCardCnt_->text()); count && *count == Money()) {
    return refuse(txtCardCnt_, QStringLiteral("發卡張數必需大於0"));
  }
  if (!required(txtStoreID_, QStringLiteral("請輸入店代號"))) return false;
  // The field checks again: a click on the button must not get round a refused value.
  txtCardType_->setText(txtCardType_->text().trimmed());
  checkCardType();
  txtStoreID_->setText(txtStoreID_->text().trimmed());
  if (!checkCardCount() || !checkStore() || !checkBalance() || !checkRemark()) {
    return false;
  }
  if (txtBalAmt_->text().trimmed().isEmpty()) txtBalAmt_->setText(QStringLiteral("0"));
  if (TheSettings().batchKey.isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("未設定資料加密碼"));
    return false;
  }
  return true;
}

void IssueWindow::closeWindow() { hide(); }

void IssueWindow::showEvent(QShowEvent* event) {
  CenterForm(this);
  QWidget::showEvent(event);
}

void IssueWindow::closeEvent(QCloseEvent* event) {
  // Closing from the title bar only hides the window, so fields and grid keep their contents.
  elaMsg_->setCaption(QString());
  hide();
  event->ignore();
}
