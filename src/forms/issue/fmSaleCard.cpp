#include "forms/issue/fmSaleCard.h"

#include "app/Clock.h"
#include "app/ErrorReport.h"
#include "app/ShowMsg.h"
#include "app/globals.h"
#include "app/uiElaBar.h"
#include "app/uiFieldBehaviour.h"
#include "app/uiFormUtil.h"
#include "app/uiGrid.h"
#include "card/basBorixCRW.h"
#include "card/basQDR_Tolva.h"
#include "card/basQDR_Txn.h"
#include "db/Connection.h"
#include "db/Records.h"
#include "db/basADODB.h"
#include "db/basDB.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace {
const QString kAction = QStringLiteral("售出");
}

fmSaleCard::fmSaleCard(QWidget* parent) : QWidget(parent, Qt::Window) {
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

  fgList_ = new FlexGrid(this);
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

  elaMsg_ = new ElaBar(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);

  FieldBehaviour::install(txtRefNo_);
  connect(cmdOK_, &QPushButton::clicked, this, &fmSaleCard::cmdOK_Click);
  connect(cmdExit_, &QPushButton::clicked, this, &fmSaleCard::cmdExit_Click);

  resize(460, 420);
  SetInputMode(this);
}

void fmSaleCard::showEvent(QShowEvent* event) {
  CenterForm(this);
  QWidget::showEvent(event);
}

void fmSaleCard::closeEvent(QCloseEvent* event) {
  // The device polls let the title bar's close through; the loop finishes first.
  if (selling_) {
    event->ignore();
    return;
  }
  elaMsg_->setCaption(QString());
  cmdExit_Click();
  event->accept();
}

void fmSaleCard::cmdExit_Click() {
  elaMsg_->setCaption(QString());
  txtRefNo_->clear();
  fgList_->clearRows();
  hide();
}

void fmSaleCard::cmdOK_Click() {
  // The status pause lets clicks through; the loop must not be entered twice or the window
  // emptied under it.
  if (selling_) return;
  selling_ = true;
  cmdOK_->setEnabled(false);
  cmdExit_->setEnabled(false);
  try {
    lastKey_.clear();
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

bool fmSaleCard::sameAsLast(const QString& key) {
  const bool same = !lastKey_.isEmpty() && key == lastKey_;
  lastKey_ = key;
  return same;
}

bool fmSaleCard::SaleCard(QString& cardNo, bool& problem) {
  problem = true;
  cardNo.clear();
  try {
    QString failure;
    QString msg;
    std::int32_t code = 0;
    if (!Borix_InsertCard(msg, &code)) {
      if (code == -21 || code == -2 || code == -99) return false;
      // A refused card that comes straight back was never taken out: stop rather than
      // refuse it over and over.
      if (sameAsLast(QStringLiteral("#") + QString::number(code))) {
        CRW_CardOut();
        return false;
      }
      ShowMsg(msg);
      failure = msg;
    } else {
      ReadValues card;
      if (!QDR_ReadCard(card.cardNo, card.storeNo, card.batchNo, card.goodThru, card.balAmt, card.balPoint, msg,
                        false)) {
        return false;
      }
      card.cardNo = card.cardNo.trimmed();
      cardNo = card.cardNo;
      // The card just handled is still in the reader: the operator has not changed cards.
      if (sameAsLast(card.cardNo)) {
        CRW_CardOut();
        return false;
      }
      failure = sell(card, problem);
    }

    const QString refNo = txtRefNo_->text().trimmed();
    if (failure.isEmpty()) {
      WriteAPLog(gAppName, kAction, QStringLiteral("卡號：") + cardNo + QStringLiteral("，帳單號：") + refNo, QString());
    } else {
      WriteAPLog(gAppName, kAction, failure + QStringLiteral("，卡號：") + cardNo, QStringLiteral("系統錯誤"));
    }
    CRW_CardOut();
    return true;
  } catch (...) {
    ReportError(QStringLiteral("fmSaleCard_SaleCard"));
    CRW_CardOut();
    return false;
  }
}

QString fmSaleCard::sell(const ReadValues& card, bool& problem) {
  QString msg;
  if (!QDR_GoodThruValid(card.goodThru, msg)) return msg;

  gSQL = QStringLiteral("Select CardNo , Status From Tolva ") + QStringLiteral(" Where CardNO = ") + QuotText(card.cardNo);
  QString status;
  {
    QSqlQuery q = gCnn().query(gSQL.toString());
    if (!q.next()) return QStringLiteral("資料庫中無此卡號");
    status = q.value(1).toString().trimmed();
  }
  if (status == QLatin1String("11") || status == QLatin1String("12")) return QStringLiteral("此卡已售出");
  if (status == QLatin1String("81")) return QStringLiteral("此卡已被清除");
  // A card marked blacklisted in the master row is refused even if the list misses it.
  if (status == QLatin1String("99") || !CheckVoidCard(card.cardNo)) return QStringLiteral("此張卡片已列入黑名單中");

  // Rolled back on every way out that does not reach the commit, errors included.
  TransactionGuard tx(gCnn());
  gSQL = QStringLiteral("Update Tolva Set Status = '11' ") + QStringLiteral(" , FirstDate = ") + gNowFunc +
         QStringLiteral(" , UPDUserID = ") + QuotText(gUserID) + QStringLiteral(" , UPDDate = ") + gNowFunc +
         QStringLiteral(" Where CardNo = ") + QuotText(card.cardNo);
  if (gCnn().execute(gSQL.toString()) == 0) return QStringLiteral("資料庫無此卡號");

  TolvaLogRec rec;
  rec.TxnDept = card.storeNo.trimmed();
  rec.TxnType = QStringLiteral("13");
  rec.CardNo = card.cardNo;
  rec.TxnDate = Today().toString(QStringLiteral("yyyy/MM/dd"));
  rec.RefCheckNo = txtRefNo_->text();
  rec.POSID = gWorkstation;
  rec.UserID = gUserID;
  rec.Remark = QString();
  if (!ADD_TolvaLog(rec, gCnn())) return QStringLiteral("Tolva記錄檔寫入失敗");
  tx.commit();
  problem = false;

  fgList_->insertRowUnderHeading(QStringList{card.cardNo, card.balAmt, card.goodThru});
  fgList_->fitColumnWidths();
  return {};
}
