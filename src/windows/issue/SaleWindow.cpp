#include "windows/issue/SaleWindow.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/ShowMsg.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "device/DeviceSession.h"
#include "operations/CardOperation.h"
#include "operations/CounterOperations.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "db/Parameters.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>


SaleWindow::SaleWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmSaleCard"));
  setWindowTitle(QStringLiteral("售出卡片"));
  auto* layout = new QVBoxLayout(this);

  auto* refRow = new QHBoxLayout;
  auto* lblRefNo = new QLabel(QStringLiteral("發票號碼"), this);
  lblRefNo->setObjectName(QStringLiteral("lblRefNo"));
  txtRefNo_ = new QLineEdit(this);
  txtRefNo_->setObjectName(QStringLiteral("txtRefNo"));
  lblRefNo->setBuddy(txtRefNo_);
  refRow->addWidget(lblRefNo);
  refRow->addWidget(txtRefNo_, 1);
  layout->addLayout(refRow);

  fgList_ = new DataGrid(this);
  fgList_->setObjectName(QStringLiteral("fgList"));
  fgList_->setHeadings(QStringList{QStringLiteral("卡號"), QStringLiteral("金額"), QStringLiteral("有效日期")});
  fgList_->setColRightAligned(1);
  fgList_->clearRows();
  fgList_->fitColumnWidths();
  fgList_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(fgList_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdOK_ = new QPushButton(QStringLiteral("確定"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdExit_ = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdExit_);
  layout->addLayout(buttons);

  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);

  FieldBehaviour::install(txtRefNo_);
  connect(cmdOK_, &QPushButton::clicked, this, &SaleWindow::cmdOK_Click);
  connect(cmdExit_, &QPushButton::clicked, this, &SaleWindow::cmdExit_Click);

  resize(460, 420);
  SetInputMode(this);
}

void SaleWindow::showEvent(QShowEvent* event) {
  CenterForm(this);
  QWidget::showEvent(event);
}

void SaleWindow::closeEvent(QCloseEvent* event) {
  // The device polls let the title bar's close through; the loop finishes first.
  if (selling_) {
    event->ignore();
    return;
  }
  elaMsg_->setCaption(QString());
  cmdExit_Click();
  event->accept();
}

void SaleWindow::cmdExit_Click() {
  elaMsg_->setCaption(QString());
  txtRefNo_->clear();
  fgList_->clearRows();
  hide();
}

void SaleWindow::cmdOK_Click() {
  // The status pause lets clicks through; the loop must not be entered twice or the window
  // emptied under it.
  if (selling_) return;
  selling_ = true;
  cmdOK_->setEnabled(false);
  cmdExit_->setEnabled(false);
  try {
    QString cardNo;
    bool problem = true;
    while (SaleCard(cardNo, problem)) {
      DispElaMsg(elaMsg_, (problem ? QStringLiteral("此張QDR卡有問題，卡號") : QStringLiteral("售出QDR卡，卡號")) + cardNo);
    }
  } catch (...) {
    ReportError(QStringLiteral("fmSaleCard_cmdOK_Click"));
  }
  cmdOK_->setEnabled(true);
  cmdExit_->setEnabled(true);
  selling_ = false;
}

bool SaleWindow::SaleCard(QString& cardNo, bool& problem) {
  problem = true;
  cardNo.clear();
  const QString refNo = txtRefNo_->text().trimmed();
  CardOperation op(QStringLiteral("fmSaleCard_SaleCard"), ApAction::Sale);
  op.logWhenCancelled = false;  // the operator's way of ending the loop
  op.check = [this](const CardRead& card, QString& m) { return checkSale(card, m); };
  op.rows = [this](const CardRead& card, std::optional<CardImage>&, QString& m) { return sellRows(card, m); };
  op.successText = [&refNo](const CardRead& card) {
    return QStringLiteral("卡號：") + card.image.cardNo.trimmed() + QStringLiteral("，帳單號：") + refNo;
  };
  QString msg;
  const bool ok = op.run(msg);
  cardNo = op.card().image.cardNo.trimmed();
  if (ok) {
    problem = false;
    // The grid lists only what the database holds, so the row follows the commit.
    fgList_->insertRowUnderHeading(QStringList{cardNo, op.card().image.balAmt, op.card().image.goodThru.toString()});
    fgList_->fitColumnWidths();
    return true;
  }
  // The operator ended the loop, the reader cannot go on, or the card has no record to sell.
  const std::int32_t code = op.waitCode();
  if (op.cancelled() || code == -2 || code == -99 || msg == CardOperation::busyText()) return false;
  ShowMsg(msg);
  return code != 0 || op.card().valid;
}

bool SaleWindow::checkSale(const CardRead& card, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  if (!GoodThruValid(card.image.goodThru.toString(), msg)) return false;
  gSQL = QStringLiteral("Select CardNo , Status From Tolva ") + QStringLiteral(" Where CardNO = ") + QuotText(cardNo);
  QString status;
  {
    QSqlQuery q = gCnn().query(gSQL.toString());
    if (!q.next()) {
      msg = QStringLiteral("資料庫中無此卡號");
      return false;
    }
    status = q.value(1).toString().trimmed();
  }
  if (status == CardStatus::Sold || status == CardStatus::Reissued) msg = QStringLiteral("此卡已售出");
  if (status == CardStatus::Erased) msg = QStringLiteral("此卡已被清除");
  // A card marked blacklisted in the master row is refused even if the list misses it.
  if (status == CardStatus::Blacklisted) msg = QStringLiteral("此張卡片已列入黑名單中");
  return msg.isEmpty() && CheckVoidCard(cardNo, msg);
}

bool SaleWindow::sellRows(const CardRead& card, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  gSQL = QStringLiteral("Update Tolva Set Status = ") + QuotText(CardStatus::Sold) + QStringLiteral(" , FirstDate = ") +
         gNowFunc + QStringLiteral(" , UPDUserID = ") + QuotText(gUserID) + QStringLiteral(" , UPDDate = ") + gNowFunc +
         QStringLiteral(" Where CardNo = ") + QuotText(cardNo);
  if (gCnn().execute(gSQL.toString()) == 0) {
    msg = QStringLiteral("資料庫無此卡號");
    return false;
  }
  JournalRow rec;
  rec.TxnDept = card.image.storeNo.trimmed();
  rec.TxnType = TxnType::Sale;
  rec.CardNo = cardNo;
  rec.TxnDate = Today().toString(QStringLiteral("yyyy/MM/dd"));
  rec.RefCheckNo = txtRefNo_->text();
  rec.POSID = gWorkstation;
  rec.UserID = gUserID;
  rec.Remark = QString();
  if (!InsertJournalRow(rec, gCnn())) {
    msg = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }
  return true;
}
