#include "windows/issue/AddValueWindow.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Paths.h"
#include "core/ShowMsg.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "operations/AddValue.h"
#include "operations/CardOperation.h"
#include "ui/CardMessageFoot.h"
#include "ui/CardMessagePanel.h"
#include "ui/MessageFileRow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

AddValueWindow::AddValueWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmAddAmt"));
  setWindowTitle(QStringLiteral("加值作業"));
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildCardFrame());
  layout->addWidget(buildInputRow());
  const CardMessageFoot foot = AddCardMessageFoot(this, layout, elaMsg_, true, QStringLiteral("確定"), QStringLiteral("cmdOK"));
  panel_ = foot.panel;
  fileRow_ = foot.fileRow;
  cmdOK_ = foot.ok;
  QPushButton* cmdOK = foot.ok;
  QPushButton* cmdExit = foot.exit;

  FieldBehaviour::install(txtAddAmt_)->setCheck([this](QLineEdit*) { return txtAddAmt_Validate(); });
  connect(cmdOK, &QPushButton::clicked, this, &AddValueWindow::cmdOK_Click);
  connect(cmdExit, &QPushButton::clicked, this, &AddValueWindow::cmdExit_Click);
  setTabOrder(txtAddAmt_, fileRow_->txtFile());

  resize(560, sizeHint().height());
  CenterForm(this);
  SetInputMode(this);
  ClearFields(this);
  fileRow_->restore();
}

QWidget* AddValueWindow::buildCardFrame() {
  txtCardNo_ = ShownField(QStringLiteral("txtCardNo"), this);
  txtGoodThru_ = ShownField(QStringLiteral("txtGoodThru"), this);
  txtBalAmtB_ = ShownField(QStringLiteral("txtBalAmtB"), this);
  txtBalAmtE_ = ShownField(QStringLiteral("txtBalAmtE"), this);
  txtBalAmtB_->setAlignment(Qt::AlignRight);
  txtBalAmtE_->setAlignment(Qt::AlignRight);
  QWidget* frame = FieldFrame(QStringLiteral("卡片資料"),
                              {{QStringLiteral("卡號"), txtCardNo_},
                               {QStringLiteral("有效日期"), txtGoodThru_},
                               {QStringLiteral("可用餘額"), txtBalAmtB_},
                               {QStringLiteral("加值後餘額"), txtBalAmtE_}},
                              this);
  frame->setObjectName(QStringLiteral("fraCard"));
  return frame;
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
  DispElaMsg(elaMsg_, message);
  txtAddAmt_->setFocus();
  txtAddAmt_->selectAll();
}

std::optional<Money> AddValueWindow::checkedAmount() {
  QString msg;
  const auto amount = CheckAddAmount(txtAddAmt_->text(), msg);
  if (!amount) refuseAmount(msg);
  return amount;
}

bool AddValueWindow::txtAddAmt_Validate() {
  if (txtAddAmt_->text().trimmed().isEmpty() || txtAddAmt_->isReadOnly()) return true;
  return checkedAmount().has_value();
}

// ---- One top-up --------------------------------------------------------------------------

void AddValueWindow::cmdOK_Click() {
  RunPress(pressing_, {cmdOK_}, ErrorLabel(), [this] { topUp(); });
}

void AddValueWindow::topUp() {
  const auto showCard = [this](const CardImage& card, const Money& newBal) {
    txtCardNo_->setText(card.cardNo.trimmed());
    txtGoodThru_->setText(DBDateDisp(card.goodThru.toString()));
    txtBalAmtB_->setText(card.balAmt);
    txtBalAmtE_->setText(newBal.toString());
  };
  const AddValueOutcome out = AddValue(OperationContext::Current(), txtAddAmt_->text(), panel_->faceText(), showCard);
  using Refusal = AddValueOutcome::Refusal;
  switch (out.refusal) {
    case Refusal::NoCardKey: DispElaMsg(elaMsg_, out.message); return;
    case Refusal::NoAmount:
      ShowMsg(out.message);
      txtAddAmt_->setFocus();
      return;
    case Refusal::BadAmount: refuseAmount(out.message); return;
    case Refusal::BadParameter: ShowMsg(out.message); return;
    case Refusal::None: break;
  }
  if (out.ok) {
    txtGoodThru_->setText(DBDateDisp(out.written->goodThru.toString()));
    DispElaMsg(elaMsg_, QStringLiteral("加值完成"), 0);
    return;
  }
  DispElaMsg(elaMsg_, out.message);
  if (!out.cancelled) ShowMsg(WithCardNo(out.message, out.card));
}

// ---- Message file and window -------------------------------------------------------------

QLineEdit* AddValueWindow::txtFile() const { return fileRow_->txtFile(); }

void AddValueWindow::txtFile_LostFocus() { fileRow_->loadTypedMessageFile(); }

void AddValueWindow::txtFile_DblClick() { fileRow_->chooseMessageFile(); }

void AddValueWindow::cmdExit_Click() {
  fileRow_->store();
  hide();
}

void AddValueWindow::closeEvent(QCloseEvent* event) {
  // The title bar's close button leaves the window the way its exit button does.
  fileRow_->store();
  QWidget::closeEvent(event);
}

void AddValueWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
