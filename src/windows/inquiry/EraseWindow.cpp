#include "windows/inquiry/EraseWindow.h"

#include "core/ErrorReport.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "operations/CardErase.h"
#include "ui/ErrorReports.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The stripe holds seven characters of card number.
constexpr int kMaxCardNo = 7;

}  // namespace

EraseWindow::EraseWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmEraseCard"));
  setWindowTitle(QStringLiteral("回收清除"));
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QStringLiteral("本作業是將已被消磁或不再使用的卡片還原成空白卡的狀態"), this);
  note->setWordWrap(true);
  layout->addWidget(note);

  auto* cardRow = new QHBoxLayout;
  auto* lblCardNo = new QLabel(QStringLiteral("卡號"), this);
  txtCardNo_ = new QLineEdit(this);
  txtCardNo_->setObjectName(QStringLiteral("txtCardNo"));
  txtCardNo_->setMaximumWidth(140);
  lblCardNo->setBuddy(txtCardNo_);
  cardRow->addWidget(lblCardNo);
  cardRow->addWidget(txtCardNo_);
  cardRow->addStretch(1);
  layout->addLayout(cardRow);

  auto* fraType = new QGroupBox(QStringLiteral("清除原因"), this);
  auto* typeRow = new QHBoxLayout(fraType);
  optDemag_ = new QRadioButton(QStringLiteral("消磁"), fraType);
  optDemag_->setObjectName(QStringLiteral("optClearType0"));
  optReturn_ = new QRadioButton(QStringLiteral("回收"), fraType);
  optReturn_->setObjectName(QStringLiteral("optClearType1"));
  optDemag_->setChecked(true);  // the window exists mostly for demagnetised cards
  typeRow->addWidget(optDemag_);
  typeRow->addWidget(optReturn_);
  typeRow->addStretch(1);
  layout->addWidget(fraType);

  auto* fraLog = new QGroupBox(QStringLiteral("清除卡號列表"), this);
  auto* logLayout = new QVBoxLayout(fraLog);
  fgLog_ = new DataGrid(fraLog);
  fgLog_->setObjectName(QStringLiteral("fgLog"));
  fgLog_->setHeadings(QStringList{QStringLiteral("卡號")});
  fgLog_->clearRows();
  logLayout->addWidget(fgLog_);
  layout->addWidget(fraLog, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdEraseCard_ = new QPushButton(QStringLiteral("清除"), this);
  cmdEraseCard_->setObjectName(QStringLiteral("cmdEraseCard"));
  auto* cmdExit = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  SkipFieldChecks(cmdExit);
  buttons->addWidget(cmdEraseCard_);
  buttons->addWidget(cmdExit);
  layout->addLayout(buttons);

  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);

  FieldBehaviour::install(txtCardNo_)->setCheck([this](QLineEdit*) { return checkCardNumber(); });
  connect(cmdEraseCard_, &QPushButton::clicked, this, &EraseWindow::eraseCard);
  connect(cmdExit, &QPushButton::clicked, this, &EraseWindow::closeWindow);

  resize(380, 420);
  OpenFieldsForInput(this);
  txtCardNo_->clear();
}

bool EraseWindow::checkCardNumber() {
  if (txtCardNo_->text().trimmed().isEmpty() || txtCardNo_->isReadOnly()) return true;
  txtCardNo_->setText(txtCardNo_->text().toUpper());
  if (txtCardNo_->text().size() <= kMaxCardNo) return true;
  ShowStatusMessage(elaMsg_, QStringLiteral("卡號長度不可大於7碼"));
  SelectAll(txtCardNo_);
  return false;
}

bool EraseWindow::alreadyErased(const QString& cardNo) const {
  for (int r = 1; r < fgLog_->rows(); ++r) {
    if (fgLog_->textMatrix(r, 0) == cardNo) return true;
  }
  return false;
}

QString EraseWindow::reason() const {
  if (optDemag_->isChecked()) return optDemag_->text();
  if (optReturn_->isChecked()) return optReturn_->text();
  return QString();
}

void EraseWindow::eraseCard() {
  RunPress(erasing_, {cmdEraseCard_}, ErrorLabel(), [this] { runErase(); });
}

void EraseWindow::runErase() {
  // A press turned down before any card still leaves its row in the log.
  auto refuse = [this](const QString& text) {
    ShowMessage(text, 5);
    SelectAll(txtCardNo_);
    const QString cardNo = txtCardNo_->text().trimmed();
    LogEraseRefused(cardNo.isEmpty() ? text : text + QStringLiteral("，卡號：") + cardNo);
  };
  if (txtCardNo_->text().trimmed().isEmpty()) return refuse(QStringLiteral("請輸入要清除的卡號"));
  // The button must not get round the field's check.
  if (!checkCardNumber()) {
    LogEraseRefused(elaMsg_->caption() + QStringLiteral("，卡號：") + txtCardNo_->text().trimmed());
    return;
  }
  const QString cardNo = txtCardNo_->text().trimmed();
  if (alreadyErased(cardNo)) return refuse(QStringLiteral("已做過清除作業"));
  const CardOutcome out = WithErrorReports([&] { return ::EraseCard(OperationContext::Current(), cardNo, reason()); });
  if (out.ok) {
    // The list holds only what the database holds, so the row follows the commit.
    const int row = fgLog_->insertRowUnderHeading(QStringList{cardNo});
    if (QTableWidgetItem* cell = fgLog_->item(row - 1, 0)) cell->setTextAlignment(Qt::AlignCenter);
    ShowStatusMessage(elaMsg_, QStringLiteral("已清除，卡號：") + cardNo, 0);
    return;
  }
  ShowStatusMessage(elaMsg_, out.message);
  if (out.refused) ShowMessage(out.message);
  else if (!out.cancelled) ShowMessage(out.message, out.rowsFailed ? 3 : 10);
}

void EraseWindow::closeWindow() { hide(); }

void EraseWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}

void EraseWindow::closeEvent(QCloseEvent* event) {
  // Closing from the title bar hides the window, so the list of erased numbers stays.
  elaMsg_->setCaption(QString());
  event->ignore();
  if (!erasing_) closeWindow();
}
