#include "windows/issue/AddValueWindow.h"
#include "device/CardFace.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/ShowMsg.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "device/DeviceSession.h"
#include "operations/CardOperation.h"
#include "operations/CounterOperations.h"
#include "device/StripeRecord.h"
#include "ui/CardMessagePanel.h"
#include "ui/MessageFileRow.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "db/Parameters.h"

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
  panel_ = new CardMessagePanel(elaMsg_, 0, this);
  layout->addWidget(panel_);

  fileRow_ = new MessageFileRow(objectName(), panel_, elaMsg_, true, this);
  layout->addWidget(fileRow_);

  layout->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* cmdOK = new QPushButton(QStringLiteral("確定"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_ = cmdOK;
  auto* cmdExit = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdExit);
  layout->addLayout(buttons);
  layout->addWidget(elaMsg_);

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
  const auto amount = Money::parse(txtAddAmt_->text());
  if (!amount) {
    refuseAmount(NotAnAmountText(txtAddAmt_->text(), QStringLiteral("必需為數字")));
    return std::nullopt;
  }
  if (*amount <= Money{}) {
    refuseAmount(QStringLiteral("加值金額必需大於0"));
    return std::nullopt;
  }
  // The card carries whole amounts; a fraction would leave the card and the database apart.
  if (!amount->isWhole()) {
    refuseAmount(QStringLiteral("加值金額必需為整數"));
    return std::nullopt;
  }
  return amount;
}

bool AddValueWindow::txtAddAmt_Validate() {
  if (txtAddAmt_->text().trimmed().isEmpty() || txtAddAmt_->isReadOnly()) return true;
  return checkedAmount().has_value();
}

// ---- One top-up --------------------------------------------------------------------------

void AddValueWindow::cmdOK_Click() {
  // Device polls keep operator input out; this guards a press that arrives some other way.
  if (pressing_) return;
  pressing_ = true;
  cmdOK_->setEnabled(false);
  try {
    topUp();
  } catch (...) {
    ReportError(QStringLiteral("fmAddAmt_cmdOK_Click"));
  }
  cmdOK_->setEnabled(true);
  pressing_ = false;
}

bool AddValueWindow::checkCard(const CardRead& card, const Money& amount, const std::optional<Money>& limit, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  // A balance or date that does not read as one (a card written under another key) must not
  // be taken for 0 or for a valid card.
  const auto cardBal = Money::parse(card.image.balAmt);
  const auto cardThru = ToDateTime(card.image.goodThru);
  if (!cardBal || !cardThru) {
    msg = QStringLiteral("卡片資料有誤");
    return false;
  }
  const Money newBal = *cardBal + amount;
  txtCardNo_->setText(cardNo);
  txtGoodThru_->setText(DBDateDisp(card.image.goodThru.toString()));
  txtBalAmtB_->setText(card.image.balAmt);
  txtBalAmtE_->setText(newBal.toString());
  if (!CheckVoidCard(cardNo, msg)) return false;
  if (cardThru->date() < Today() &&
      !Dialogs().askYesNo(QStringLiteral("超出有效期限，是否要繼續加值？"), gAppName)) {
    msg = QStringLiteral("超出有效期限，未加值");
    return false;
  }
  if (newBal < Money{}) {
    msg = QStringLiteral("加值後餘額小於零");
    return false;
  }
  if (!WithinBalanceLimit(newBal, limit, msg)) return false;
  // Checked before the database is touched: a longer value would be cut on the stripe.
  if (!FitsOnCard(newBal) || !FitsOnCard(amount) || !FitsOnCard(*cardBal)) {
    msg = QStringLiteral("金額超過卡片可記錄的位數，卡號:") + cardNo;
    return false;
  }
  return true;
}

bool AddValueWindow::writeRows(const CardRead& card, const Money& amount, const QString& freeText,
                         std::optional<CardImage>& next, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  const QString newThru = RenewedGoodThru(Today()).toString(QStringLiteral("yyyy/MM/dd"));
  // The checked value, never the typed text, goes into the statement.
  gSQL = QStringLiteral("update Tolva set BalAmt = BalAmt + ") + amount.toString() + QStringLiteral(" , GoodThru = ") +
         QuotDate(newThru) + QStringLiteral(" Where CardNo =  ") + QuotText(cardNo);
  if (gCnn().execute(gSQL.toString()) < 1) {
    msg = QStringLiteral("Tolva主檔更新失敗，卡號:") + cardNo;
    return false;
  }
  JournalRow rec;
  rec.TxnDept = gStoreID;
  rec.TxnType = TxnType::TopUp;
  rec.CardNo = cardNo;
  rec.TxnDate = Today();
  rec.TxnAmt = amount.toString();
  rec.TxnPoint = 0;
  rec.RefCheckNo = QString();
  rec.Remark = QString();
  rec.POSID = gWorkstation;
  rec.UserID = gUserID;
  if (!InsertJournalRow(rec, gCnn())) {
    msg = QStringLiteral("Tolva記錄新增失敗，卡號:") + cardNo;
    return false;
  }
  const Money newBal = Money::val(card.image.balAmt) + amount;
  next = CardImage{card.image.cardNo, card.image.storeNo, card.image.batchNo, newThru, newBal.toString(),
                   card.image.balPoint, freeText, card.image.balAmt, amount.toString()};
  return true;
}

// A press turned down before any card was asked for: the operator's input, or a parameter that
// cannot be read ("系統錯誤").
void AddValueWindow::refusePress(const QString& msg, const QString& remark) {
  WriteAPLog(gAppName, ApAction::TopUp, msg, remark);
}

void AddValueWindow::topUp() {
  if (gBatchKey.isEmpty()) {
    DispElaMsg(elaMsg_, QStringLiteral("未設定資料加密碼"));
    refusePress(elaMsg_->caption(), kApRefusedRemark);
    return;
  }
  if (txtAddAmt_->text().trimmed().isEmpty()) {
    ShowMsg(QStringLiteral("請輸入加值金額"));
    txtAddAmt_->setFocus();
    refusePress(QStringLiteral("請輸入加值金額"), kApRefusedRemark);
    return;
  }
  // The button must not get round the field's check: only a checked number reaches the SQL.
  const auto amount = checkedAmount();
  if (!amount) {
    refusePress(elaMsg_->caption(), kApRefusedRemark);
    return;
  }
  QString msg;
  std::optional<Money> limit;
  if (!BalanceLimit(limit, msg)) {
    ShowMsg(msg);
    refusePress(msg, kApFailRemark);
    return;
  }
  const QString freeText = panel_->faceText();

  CardOperation op(QStringLiteral("fmAddAmt_cmdOK_Click"), ApAction::TopUp);
  op.check = [&](const CardRead& card, QString& m) { return checkCard(card, *amount, limit, m); };
  op.rows = [&](const CardRead& card, std::optional<CardImage>& next, QString& m) {
    return writeRows(card, *amount, freeText, next, m);
  };
  op.successText = [&](const CardRead& card) {
    return QStringLiteral("卡號：") + card.image.cardNo.trimmed() + QStringLiteral("，加值金額：") + amount->toString();
  };
  op.failureText = [](const CardRead& card, const QString& m) { return WithCardNo(m, card); };
  if (op.run(msg)) {
    txtGoodThru_->setText(DBDateDisp(RenewedGoodThru(Today()).toString(QStringLiteral("yyyy/MM/dd"))));
    DispElaMsg(elaMsg_, QStringLiteral("加值完成"), 0);
    return;
  }
  DispElaMsg(elaMsg_, msg);
  if (!op.cancelled()) ShowMsg(WithCardNo(msg, op.card()));
}

// ---- Message file and window -------------------------------------------------------------

QLineEdit* AddValueWindow::txtFile() const { return fileRow_->txtFile(); }

void AddValueWindow::txtFile_LostFocus() { fileRow_->txtFile_LostFocus(); }

void AddValueWindow::txtFile_DblClick() { fileRow_->txtFile_DblClick(); }

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
