#include "windows/inquiry/CardQueryWindow.h"

#include "core/ErrorReport.h"
#include "core/ShowMsg.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/TextTable.h"
#include "operations/CardReading.h"
#include "windows/inquiry/CardQueryView.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kNoSuchCard = QStringLiteral("資料庫無此卡號");

}  // namespace

CardQueryWindow::CardQueryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmQryCard"));
  setWindowTitle(QStringLiteral("單卡查詢"));
  auto* layout = new QVBoxLayout(this);
  const CardPages pages = BuildCardPages(this, QStringLiteral("Tolva資料"), QStringLiteral("備註"));
  tabPage_ = pages.tabPage;
  fgCardLog_ = pages.fgCardLog;
  txtCardNo_ = pages.txtCardNo;
  layout->addWidget(tabPage_, 1);

  const CardPagesFoot foot = AddCardPagesFoot(this, layout, QStringLiteral("讀卡"), QStringLiteral("cmdReadCard"));
  cmdReadCard_ = foot.action;
  QPushButton* cmdExit = foot.exit;
  elaMsg_ = foot.status;

  // Reading a card replaces the number.
  SkipFieldChecks(cmdReadCard_);
  FieldBehaviour::install(txtCardNo_)->setCheck([this](QLineEdit*) { return txtCardNo_Validate(); });
  txtCardNo_->installEventFilter(this);
  connect(cmdReadCard_, &QPushButton::clicked, this, &CardQueryWindow::cmdReadCard_Click);
  connect(cmdExit, &QPushButton::clicked, this, &CardQueryWindow::cmdExit_Click);
  connect(tabPage_, &QTabWidget::currentChanged, this, &CardQueryWindow::tabPage_Switch);

  resize(640, 420);
  try {
    InitForm();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void CardQueryWindow::InitForm() {
  ClearFields(this);
  SetInputMode(this);
  InitCardLogGrid(fgCardLog_);
}

QLineEdit* CardQueryWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }

void CardQueryWindow::clearWindow() {
  ClearFields(this);
  fgCardLog_->clearRows();
}

bool CardQueryWindow::txtCardNo_Validate() {
  try {
    if (txtCardNo_->text().trimmed().isEmpty()) {
      clearWindow();
      return true;
    }
    if (txtCardNo_->isReadOnly()) return true;
    bool found = false;
    // A database error was reported; the operator is not held in the field by it.
    if (!QryCardData(this, fgCardLog_, txtCardNo_->text(), found) || found) return true;
    DispElaMsg(elaMsg_, kNoSuchCard);
    SelectAll(txtCardNo_);
    return false;
  } catch (...) {
    ReportError(ErrorLabel());
    return true;
  }
}

void CardQueryWindow::cmdReadCard_Click() {
  // Device polls keep operator input out; this guards a press that arrives some other way.
  if (reading_) return;
  reading_ = true;
  cmdReadCard_->setEnabled(false);
  try {
    readCard();
  } catch (...) {
    ReportError(ErrorLabel());
  }
  cmdReadCard_->setEnabled(true);
  reading_ = false;
}

void CardQueryWindow::readCard() {
  using Result = CardCheckOutcome::Result;
  const CardCheckOutcome out = ReadCardAgainstRecord(OperationContext::Current());
  switch (out.result) {
    case Result::NoCardKey: DispElaMsg(elaMsg_, out.message); return;
    case Result::NotRead:
    case Result::NotFound: ShowMsg(out.message); return;
    case Result::LookUpFailed:
      ReportError(objectName() + QStringLiteral("_QryCardData"), out.failure.number, out.failure.description);
      return;
    case Result::Matches:
    case Result::Differs: break;
  }
  ShowCardQuery(this, fgCardLog_, *out.record);
  elaMsg_->setCaption(QString());
  if (out.result == Result::Differs) ShowMsg(out.message, 60);
}

void CardQueryWindow::tabPage_Switch(int newTab) {
  try {
    if (newTab == 1) fgCardLog_->fitColumnWidths();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void CardQueryWindow::cmdExit_Click() { hide(); }

void CardQueryWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}

void CardQueryWindow::closeEvent(QCloseEvent* event) {
  // The frame's close hides the window like the exit button; it is kept for the next query.
  elaMsg_->setCaption(QString());
  QWidget::closeEvent(event);
}

bool CardQueryWindow::eventFilter(QObject* watched, QEvent* event) {
  // An emptied number clears the window; the field's own check only sees a field with text.
  if (watched == txtCardNo_ && event->type() == QEvent::FocusOut && txtCardNo_->text().isEmpty()) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) clearWindow();
  }
  return QWidget::eventFilter(watched, event);
}
