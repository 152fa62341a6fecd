#include "windows/issue/GoodThruWindow.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Money.h"
#include "core/OperatorDialogs.h"
#include "core/ShowMsg.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
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

namespace {

const QString kDateForm = QStringLiteral("yyyy/MM/dd");

}  // namespace

GoodThruWindow::GoodThruWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmUpdGoodThru"));
  setWindowTitle(QStringLiteral("設定有效日期"));
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildDateRow());
  layout->addWidget(buildCardFrame());
  panel_ = new CardMessagePanel(elaMsg_, 0, this);
  layout->addWidget(panel_);
  fileRow_ = new MessageFileRow(objectName(), panel_, elaMsg_, true, this);
  layout->addWidget(fileRow_);
  layout->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdOK_ = new QPushButton(QStringLiteral("確定"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdExit_ = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  SkipFieldChecks(cmdExit_);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdExit_);
  layout->addLayout(buttons);
  layout->addWidget(elaMsg_);

  InstallDateField(txtUpdGoodThru_, elaMsg_);
  connect(cmdOK_, &QPushButton::clicked, this, &GoodThruWindow::cmdOK_Click);
  connect(cmdExit_, &QPushButton::clicked, this, &GoodThruWindow::cmdExit_Click);

  resize(560, sizeHint().height());
  SetInputMode(this);
  ClearFields(this);
  fileRow_->restore();
}

QWidget* GoodThruWindow::buildDateRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(QStringLiteral("設定有效日期"), row);
  txtUpdGoodThru_ = new QLineEdit(row);
  txtUpdGoodThru_->setObjectName(QStringLiteral("txtUpdGoodThru"));
  txtUpdGoodThru_->setToolTip(QStringLiteral("按兩下或F8選擇日期"));
  txtUpdGoodThru_->setMaximumWidth(160);
  label->setBuddy(txtUpdGoodThru_);
  layout->addWidget(label);
  layout->addWidget(txtUpdGoodThru_);
  layout->addStretch(1);
  return row;
}

QWidget* GoodThruWindow::buildCardFrame() {
  txtCardNo_ = ShownField(QStringLiteral("txtCardNo"), this);
  txtGoodThru_ = ShownField(QStringLiteral("txtGoodThru"), this);
  txtBalAmt_ = ShownField(QStringLiteral("txtBalAmt"), this);
  txtBalPoint_ = ShownField(QStringLiteral("txtBalPoint"), this);
  txtBalAmt_->setAlignment(Qt::AlignRight);
  txtBalPoint_->setAlignment(Qt::AlignRight);
  QWidget* frame = FieldFrame(QStringLiteral("卡片資料"),
                              {{QStringLiteral("卡號"), txtCardNo_},
                               {QStringLiteral("有效日期"), txtGoodThru_},
                               {QStringLiteral("可用餘額"), txtBalAmt_},
                               {QStringLiteral("紅利點數"), txtBalPoint_}},
                              this);
  frame->setObjectName(QStringLiteral("fraCard"));
  return frame;
}

QLineEdit* GoodThruWindow::txtFile() const { return fileRow_->txtFile(); }

// ---- The loop ----------------------------------------------------------------------------

void GoodThruWindow::cmdOK_Click() {
  // The status pauses let clicks through; the loop must not be entered twice.
  if (running_) return;
  running_ = true;
  cmdOK_->setEnabled(false);
  cmdExit_->setEnabled(false);
  try {
    runLoop();
  } catch (...) {
    ReportError(QStringLiteral("fmUpdGoodThru_cmdOK_Click"));
  }
  cmdOK_->setEnabled(true);
  cmdExit_->setEnabled(true);
  running_ = false;
}

void GoodThruWindow::runLoop() {
  if (gBatchKey.isEmpty()) {
    DispElaMsg(elaMsg_, QStringLiteral("未設定資料加密碼"));
    return;
  }
  if (txtUpdGoodThru_->text().trimmed().isEmpty()) {
    ShowMsg(QStringLiteral("請輸入有效日期"));
    txtUpdGoodThru_->setFocus();
    return;
  }
  const QString newDate = DBDateSave(dateAddSep(txtUpdGoodThru_->text().trimmed()));
  if (newDate.size() != 10) {
    ShowMsg(QStringLiteral("日期格式不對"));
    txtUpdGoodThru_->setFocus();
    return;
  }
  // A past date expires every card of the run at once: the operator says so first.
  if (QDate::fromString(newDate, QStringLiteral("yyyy/MM/dd")) < Today() &&
      !Dialogs().askYesNo(QStringLiteral("有效日期 ") + txtUpdGoodThru_->text().trimmed() +
                              QStringLiteral(" 早於今天，插入的卡片將立即過期，確定要設定？"),
                          QStringLiteral("更改有效日期"))) {
    txtUpdGoodThru_->setFocus();
    return;
  }
  while (UpdGoodThru(newDate)) {
    // Only a committed change has its remark; a refused card keeps its own text in the status
    // bar, as the message window showed it.
    if (!remark_.isEmpty()) DispElaMsg(elaMsg_, QStringLiteral("有效日變更完成，卡號") + txtCardNo_->text());
  }
  DispElaMsg(elaMsg_, QStringLiteral("設定完成"));
}

bool GoodThruWindow::UpdGoodThru(const QString& newDate) {
  remark_.clear();
  const QString freeText = panel_->faceText();
  CardOperation op(QStringLiteral("fmUpdGoodThru_UpdGoodThru"), ApAction::ChangeGoodThru);
  op.logWhenCancelled = false;  // the operator's way of ending the loop
  op.check = [this](const CardRead& card, QString& m) { return showCard(card, m); };
  op.rows = [&](const CardRead& card, std::optional<CardImage>& next, QString& m) {
    return writeRows(card, newDate, freeText, next, m);
  };
  op.successText = [this](const CardRead& card) {
    return QStringLiteral("卡號：") + card.image.cardNo.trimmed() + QStringLiteral("，有效日期：") + remark_;
  };
  op.failureText = [](const CardRead& card, const QString& m) { return WithCardNo(m, card); };
  QString msg;
  if (op.run(msg)) {
    txtGoodThru_->setText(DBDateDisp(newDate));
    return true;
  }
  remark_.clear();
  // The operator ended the loop, or the reader cannot go on.
  const std::int32_t code = op.waitCode();
  if (op.cancelled() || code == -2 || code == -99 || msg == CardOperation::busyText()) return false;
  const QString shown = WithCardNo(msg, op.card());
  DispElaMsg(elaMsg_, shown);
  ShowMsg(shown);
  return true;
}

bool GoodThruWindow::showCard(const CardRead& card, QString& msg) {
  const CardImage& c = card.image;
  // Values that do not read as values (a card written under another key) are not rewritten.
  if (!ToDateTime(c.goodThru) || !Money::parse(c.balAmt) || !Money::parse(c.balPoint)) {
    msg = QStringLiteral("卡片資料有誤");
    return false;
  }
  txtCardNo_->setText(c.cardNo.trimmed());
  txtGoodThru_->setText(DBDateDisp(c.goodThru));
  txtBalAmt_->setText(c.balAmt.trimmed());
  txtBalPoint_->setText(c.balPoint.trimmed());
  return true;
}

bool GoodThruWindow::writeRows(const CardRead& card, const QString& newDate, const QString& freeText,
                              std::optional<CardImage>& next, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  gSQL = QStringLiteral("update Tolva set GoodThru =  ") + QuotDate(newDate) + QStringLiteral(" , UpdUserID = ") +
         QuotText(gUserID) + QStringLiteral(" , UpdDate = ") + gNowFunc + QStringLiteral(" Where CardNo =  ") +
         QuotText(cardNo);
  if (gCnn().execute(gSQL.toString()) < 1) {
    msg = QStringLiteral("Tolva主檔無卡號，卡號:") + cardNo;
    return false;
  }
  JournalRow rec;
  rec.TxnDept = gStoreID;
  rec.TxnType = TxnType::GoodThruChange;
  rec.CardNo = cardNo;
  rec.TxnDate = Today();
  rec.TxnAmt = 0;
  rec.TxnPoint = 0;
  rec.RefCheckNo = QString();
  rec.POSID = gWorkstation;
  rec.UserID = gUserID;
  const QString remark = ToDateTime(card.image.goodThru)->date().toString(kDateForm) + QLatin1Char('-') + newDate;
  rec.Remark = remark;
  if (!InsertJournalRow(rec, gCnn())) {
    msg = QStringLiteral("Tolva記錄新增失敗，卡號:") + cardNo;
    return false;
  }
  remark_ = remark;
  next = CardImage{card.image.cardNo, card.image.storeNo, card.image.batchNo, newDate, card.image.balAmt,
                   card.image.balPoint, freeText, std::nullopt, std::nullopt};
  return true;
}

// ---- Window ------------------------------------------------------------------------------

void GoodThruWindow::cmdExit_Click() {
  fileRow_->store();
  hide();
}

void GoodThruWindow::closeEvent(QCloseEvent* event) {
  // The device polls let the title bar's close through; the loop finishes first.
  if (running_) {
    event->ignore();
    return;
  }
  fileRow_->store();
  QWidget::closeEvent(event);
}

void GoodThruWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
