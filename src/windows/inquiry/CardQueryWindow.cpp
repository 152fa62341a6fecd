#include "windows/inquiry/CardQueryWindow.h"

#include "core/ErrorReport.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "ui/TextTable.h"
#include "operations/CardReading.h"
#include "windows/inquiry/CardQueryView.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kNoSuchCard = QStringLiteral("資料庫無此卡號");

}  // namespace

CardQueryWindow::CardQueryWindow(QWidget* parent)
    : CardPagesWindow(QStringLiteral("fmQryCard"), QStringLiteral("單卡查詢"), parent) {
  auto* layout = new QVBoxLayout(this);
  cmdReadCard_ = addPages(layout, QStringLiteral("Tolva資料"), QStringLiteral("備註"), QStringLiteral("讀卡"),
                          QStringLiteral("cmdReadCard"));

  // Reading a card replaces the number.
  SkipFieldChecks(cmdReadCard_);
  FieldBehaviour::install(txtCardNo_)->setCheck([this](QLineEdit*) { return checkCardNumber(); });
  txtCardNo_->installEventFilter(this);
  connect(cmdReadCard_, &QPushButton::clicked, this, &CardQueryWindow::readCard);

  resize(640, 420);
  resetWindow();
}

void CardQueryWindow::clearWindow() {
  ClearInputFields(this);
  fgCardLog_->clearRows();
}

bool CardQueryWindow::checkCardNumber() {
  try {
    if (txtCardNo_->text().trimmed().isEmpty()) {
      clearWindow();
      return true;
    }
    if (txtCardNo_->isReadOnly()) return true;
    bool found = false;
    // A database error was reported; the operator is not held in the field by it.
    if (!LookUpAndShowCard(this, fgCardLog_, txtCardNo_->text(), found) || found) return true;
    ShowStatusMessage(elaMsg_, kNoSuchCard);
    SelectAll(txtCardNo_);
    return false;
  } catch (...) {
    ReportError(ErrorLabel());
    return true;
  }
}

void CardQueryWindow::readCard() {
  RunPress(reading_, {cmdReadCard_}, ErrorLabel(), [this] { readAndCompareCard(); });
}

void CardQueryWindow::readAndCompareCard() {
  using Result = CardCheckOutcome::Result;
  const CardCheckOutcome out = ReadCardAgainstRecord(OperationContext::Current());
  switch (out.result) {
    case Result::NoCardKey: ShowStatusMessage(elaMsg_, out.message); return;
    case Result::NotRead:
    case Result::NotFound: ShowMessage(out.message); return;
    case Result::LookUpFailed:
      ReportError(ErrorLabel(), out.failure.number, out.failure.description);
      return;
    case Result::Matches:
    case Result::Differs: break;
  }
  ShowCardQuery(this, fgCardLog_, *out.record);
  elaMsg_->setCaption(QString());
  if (out.result == Result::Differs) ShowMessage(out.message, 60);
}

bool CardQueryWindow::eventFilter(QObject* watched, QEvent* event) {
  // An emptied number clears the window; the field's own check only sees a field with text.
  if (watched == txtCardNo_ && event->type() == QEvent::FocusOut && txtCardNo_->text().isEmpty()) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) clearWindow();
  }
  return QWidget::eventFilter(watched, event);
}
