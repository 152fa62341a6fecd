#include "windows/issue/SaleWindow.h"

#include "core/ErrorReport.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/PressGuard.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "operations/CardSale.h"
#include "ui/ErrorReports.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
  connect(cmdOK_, &QPushButton::clicked, this, &SaleWindow::sellCards);
  connect(cmdExit_, &QPushButton::clicked, this, &SaleWindow::closeWindow);

  resize(460, 420);
  OpenFieldsForInput(this);
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
  closeWindow();
  event->accept();
}

void SaleWindow::closeWindow() {
  elaMsg_->setCaption(QString());
  txtRefNo_->clear();
  fgList_->clearRows();
  hide();
}

void SaleWindow::sellCards() {
  RunPress(selling_, {cmdOK_, cmdExit_}, ErrorLabel(), [this] {
    QString cardNo;
    bool problem = true;
    while (sellOneCard(cardNo, problem)) {
      ShowStatusMessage(elaMsg_, (problem ? QStringLiteral("此張QDR卡有問題，卡號") : QStringLiteral("售出QDR卡，卡號")) + cardNo);
    }
  });
}

bool SaleWindow::sellOneCard(QString& cardNo, bool& problem) {
  problem = true;
  const CardOutcome out = WithErrorReports([&] { return SellIssuedCard(OperationContext::Current(), txtRefNo_->text()); });
  cardNo = out.card.image.cardNo.trimmed();
  if (out.ok) {
    problem = false;
    // The grid lists only what the database holds, so the row follows the commit.
    fgList_->insertRowUnderHeading(QStringList{cardNo, out.card.image.balAmt, out.card.image.goodThru.toString()});
    fgList_->fitColumnWidths();
    return true;
  }
  // The operator ended the run, the reader cannot go on, or the card has no record to sell.
  if (out.endsRun()) return false;
  ShowMessage(out.message);
  return out.waitCode != 0 || out.card.valid;
}
