#include "windows/issue/AddValueWindow.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Paths.h"
#include "core/ShowMessage.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "operations/AddValue.h"
#include "operations/CardOperation.h"
#include "ui/CardMessagePanel.h"
#include "ui/MessageFileRow.h"
#include "ui/ErrorReports.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AddValueWindow::AddValueWindow(QWidget* parent)
    : CardFaceWindow(QStringLiteral("fmAddAmt"), QStringLiteral("加值作業"), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildCardFrame());
  layout->addWidget(buildInputRow());
  cmdOK_ = addFoot(layout, {.loadOnLeave = true, .keepPerWindow = true}, QStringLiteral("確定"), QStringLiteral("cmdOK"));

  FieldBehaviour::install(txtAddAmt_)->setCheck([this](QLineEdit*) { return checkAmount(); });
  connect(cmdOK_, &QPushButton::clicked, this, &AddValueWindow::addValue);
  setTabOrder(txtAddAmt_, fileRow_->txtFile());

  resize(560, sizeHint().height());
  CenterForm(this);
  finishSetUp();
}

QWidget* AddValueWindow::buildCardFrame() {
  const CardFrame card = makeCardFrame(QStringLiteral("txtBalAmtB"), QStringLiteral("可用餘額"),
                                       QStringLiteral("txtBalAmtE"), QStringLiteral("加值後餘額"));
  txtCardNo_ = card.cardNo;
  txtGoodThru_ = card.goodThru;
  txtBalAmtB_ = card.first;
  txtBalAmtE_ = card.second;
  return card.frame;
}

QWidget* AddValueWindow::buildInputRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(QStringLiteral("加值金額"), row);
  txtAddAmt_ = new QLineEdit(row);
  txtAddAmt_->setObjectName(QStringLiteral("txtAddAmt"));
  txtAddAmt_->setAlignment(Qt::AlignRight);
  txtAddAmt_->setMaximumWidth(160);
  label->setBuddy(txtAddAmt_);
  layout->addWidget(label);
  layout->addWidget(txtAddAmt_);
  layout->addStretch(1);
  return row;
}

// ---- Amount ------------------------------------------------------------------------------

void AddValueWindow::refuseAmount(const QString& message) {
  ShowStatusMessage(elaMsg_, message);
  txtAddAmt_->setFocus();
  txtAddAmt_->selectAll();
}

std::optional<Money> AddValueWindow::checkedAmount() {
  QString msg;
  const auto amount = CheckAddAmount(txtAddAmt_->text(), msg);
  if (!amount) refuseAmount(msg);
  return amount;
}

bool AddValueWindow::checkAmount() {
  if (txtAddAmt_->text().trimmed().isEmpty() || txtAddAmt_->isReadOnly()) return true;
  return checkedAmount().has_value();
}

// ---- One top-up --------------------------------------------------------------------------

void AddValueWindow::addValue() {
  RunPress(pressing_, {cmdOK_}, ErrorLabel(), [this] { topUp(); });
}

void AddValueWindow::topUp() {
  const auto showCard = [this](const CardImage& card, const Money& newBal) {
    txtCardNo_->setText(card.cardNo.trimmed());
    txtGoodThru_->setText(DateForDisplay(card.goodThru.toString()));
    txtBalAmtB_->setText(card.balAmt);
    txtBalAmtE_->setText(newBal.toString());
  };
  const AddValueOutcome out = WithErrorReports(
      [&] { return AddValue(OperationContext::Current(), txtAddAmt_->text(), panel_->faceText(), showCard); });
  using Refusal = AddValueOutcome::Refusal;
  switch (out.refusal) {
    case Refusal::NoCardKey: ShowStatusMessage(elaMsg_, out.message); return;
    case Refusal::NoAmount:
      ShowMessage(out.message);
      txtAddAmt_->setFocus();
      return;
    case Refusal::BadAmount: refuseAmount(out.message); return;
    case Refusal::BadParameter: ShowMessage(out.message); return;
    case Refusal::None: break;
  }
  if (out.ok) {
    txtGoodThru_->setText(DateForDisplay(out.written->goodThru.toString()));
    ShowStatusMessage(elaMsg_, QStringLiteral("加值完成"), 0);
    return;
  }
  ShowStatusMessage(elaMsg_, out.message);
  if (!out.cancelled) ShowMessage(WithCardNo(out.message, out.card));
}

