#include "windows/issue/VoidWindow.h"

#include "core/ErrorReport.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "operations/CounterOperations.h"
#include "ui/CardMessagePanel.h"
#include "ui/ErrorReports.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kAmountLabel = QStringLiteral("沖正金額");

}  // namespace

VoidWindow::VoidWindow(QWidget* parent) : CardFaceWindow(QStringLiteral("fmVoidTxn"), QStringLiteral("沖正"), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildInputRows());
  cmdVoidTxn_ = addFoot(layout, {.loadOnLeave = false, .keepPerWindow = true}, QStringLiteral("沖正"),
                        QStringLiteral("cmdVoidTxn"));

  FieldBehaviour::install(txtCheckNo_);
  FieldBehaviour::install(txtVoidAmt_)->setCheck([this](QLineEdit*) { return checkAmount(); });
  connect(cmdVoidTxn_, &QPushButton::clicked, this, &VoidWindow::voidTransaction);

  resize(520, sizeHint().height());
  finishSetUp();
}

QWidget* VoidWindow::buildInputRows() {
  auto* rows = new QWidget(this);
  auto* grid = new QGridLayout(rows);
  grid->setContentsMargins(0, 0, 0, 0);
  auto add = [&](const char* name, const QString& caption, int row) {
    auto* edit = new QLineEdit(rows);
    edit->setObjectName(QString::fromLatin1(name));
    auto* label = new QLabel(caption, rows);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
  };
  txtCheckNo_ = add("txtCheckNo", QStringLiteral("帳單號(單據號碼)"), 0);
  txtCheckNo_->setMaxLength(50);  // what the journal keeps of it
  txtVoidAmt_ = add("txtVoidAmt", kAmountLabel, 1);
  txtVoidAmt_->setAlignment(Qt::AlignRight);
  txtVoidAmt_->setMaximumWidth(160);
  grid->setColumnStretch(2, 1);
  return rows;
}

bool VoidWindow::checkAmount() {
  if (txtVoidAmt_->text().trimmed().isEmpty() || txtVoidAmt_->isReadOnly()) return true;
  if (!Money::parse(txtVoidAmt_->text())) {
    ShowStatusMessage(elaMsg_, NotAnAmountText(txtVoidAmt_->text(), QStringLiteral("必需為數字")));
    return false;
  }
  // A negative amount would raise the balance and a fraction leave the card and its journal
  // apart: only what the card can carry is reversed.
  QString msg;
  if (WholeAmount(txtVoidAmt_->text(), kAmountLabel, false, msg)) return true;
  ShowStatusMessage(elaMsg_, msg);
  return false;
}

void VoidWindow::voidTransaction() {
  RunPress(pressing_, {cmdVoidTxn_}, ErrorLabel(), [this] { runVoid(); });
}

void VoidWindow::runVoid() {
  const CounterOutcome out = WithErrorReports([this] {
    return ReverseTopUp(OperationContext::Current(), txtVoidAmt_->text(), txtCheckNo_->text(), panel_->faceText());
  });
  if (out.ok) {
    ShowStatusMessage(elaMsg_, out.message, 0);
    // Used up, so that a second press cannot take the amount back twice.
    txtVoidAmt_->clear();
    txtCheckNo_->clear();
    return;
  }
  ShowStatusMessage(elaMsg_, out.message);
  ShowMessage(out.message);
  if (out.refused) txtVoidAmt_->setFocus();
}
