// The counter operations of the main window's card frame. Each runs the card routine inside
// one database transaction together with the master row's update, so that the card, its
// journal and its master row change together or not at all.
#include "windows/counter/MainWindow.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Paths.h"
#include "core/ShowMsg.h"
#include "core/SettingsFile.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "operations/CounterOperations.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "db/Parameters.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSqlQuery>

namespace {

// The card frame stays disabled while an operation runs: the device polls let clicks
// through, and a second operation must not start inside the first one's transaction.
class FrameBusy {
public:
  explicit FrameBusy(QWidget* frame) : frame_(frame) {
    if (frame_) frame_->setEnabled(false);
  }
  ~FrameBusy() {
    if (frame_) frame_->setEnabled(true);
  }
  FrameBusy(const FrameBusy&) = delete;
  FrameBusy& operator=(const FrameBusy&) = delete;

private:
  QWidget* frame_;
};


// A whole, non-negative amount typed at the counter; an empty optional entry is 0, a
// required one must be above 0.
std::optional<Money> wholeEntry(QLineEdit* field, const QString& label, bool required, QString& msg) {
  return WholeAmount(field->text(), label, required, msg);
}

// A numeric parameter: nothing when it is not set; `bad` when it is set but unusable.
std::optional<Money> numericParam(const QString& id, bool& bad) {
  bad = false;
  QString text;
  if (!getParamValue(id, text) || text.trimmed().isEmpty()) return std::nullopt;
  const auto value = Money::parse(text);
  if (!value || *value < Money()) {
    bad = true;
    return std::nullopt;
  }
  return value;
}

// The application-log text of a counter transaction.
QString counterText(const CardTxn& txn) {
  return QStringLiteral("卡號：") + txn.cardNo.trimmed() + QStringLiteral("，交易金額：") + txn.txnAmt.toString() +
         QStringLiteral("，餘額：") + txn.newBal.toString() + QStringLiteral("，紅利點數：") + txn.newPoints.toString();
}

// Whole points earned by an amount at a rate of points per unit amount (fractions dropped).
Money earnedPoints(const Money& amount, const Money& rate) { return (amount * rate).truncatedToWhole(); }

// The card message printed under the values: the six lines of the card message file.
QString counterFaceText() {
  QString text;
  if (!IsFile(gCardMsgFile) || !LoadMsg(gCardMsgFile, text)) return {};
  const QStringList lines = text.split(QLatin1Char('|'));
  QString face;
  for (int i = 0; i < 6; ++i) face += (i < lines.size() ? lines[i] : QString()) + QLatin1Char('\n');
  return face;
}

// A counter sale marks the card sold, refusing what the sale window refuses.
bool markSold(const CardTxn& t, QString& msg) {
  try {
    QString status;
    {
      QSqlQuery q = gCnn().query(QStringLiteral("Select CardNo , Status From Tolva ") +
                                 QStringLiteral(" Where CardNO = ") + QuotText(t.cardNo));
      if (!q.next()) {
        msg = QStringLiteral("資料庫中無此卡號");
        return false;
      }
      status = q.value(1).toString().trimmed();
    }
    if (status == CardStatus::Sold || status == CardStatus::Reissued) msg = QStringLiteral("此卡已售出");
    if (status == CardStatus::Erased) msg = QStringLiteral("此卡已被清除");
    if (status == CardStatus::Blacklisted) msg = QStringLiteral("此張卡片已列入黑名單中");
    if (!msg.isEmpty()) return false;
    gSQL = QStringLiteral("Update Tolva Set Status = ") + QuotText(CardStatus::Sold) + QStringLiteral(" , FirstDate = ") + gNowFunc + QStringLiteral(" , LastDate = ") +
           QuotDate(Today()) + QStringLiteral(" , UPDUserID = ") + QuotText(gUserID) +
           QStringLiteral(" , UPDDate = ") + gNowFunc + QStringLiteral(" Where CardNo = ") + QuotText(t.cardNo);
    gCnn().execute(gSQL.toString());
    return true;
  } catch (...) {
    ReportError(QStringLiteral("fmTolva_MarkSold"));
    msg = QStringLiteral("Tolva資料更新失敗");
    return false;
  }
}

}  // namespace

void MainWindow::installCounterChecks() {
  for (const char* name : {"txtAmt", "txtPoint", "txtAmtB", "txtVoidPoint"}) {
    FieldBehaviour::install(field(QString::fromLatin1(name)))->setCheck([this](QLineEdit* f) {
      if (Money::parse(f->text())) return true;
      DispElaMsg(elaMsg_, NotAnAmountText(f->text(), QStringLiteral("必需為數字")));
      return false;
    });
  }
}

QComboBox* MainWindow::cboType() const { return findChild<QComboBox*>(QStringLiteral("cboType")); }

QString MainWindow::reversalMode() const { return cboType()->currentData().toString(); }

void MainWindow::runCounterOp(const QString& label, const QString& action, const CounterCall& call) {
  const FrameBusy busy(findChild<QGroupBox*>(QStringLiteral("fraCard")));
  QString msg;
  CardTxn txn;
  bool ok = false;
  try {
    TxnValues v;
    v.txnDept = gStoreID;
    v.txnDate = Today();
    v.freeText = counterFaceText();
    v.apAction = action;
    v.apText = counterText;
    ok = call(v, msg, txn);
  } catch (...) {
    ReportError(label);
    if (ok || msg.isEmpty()) msg = QStringLiteral("存檔失敗");
    ok = false;
  }
  showCounterResult(action, ok, msg, txn);
}

void MainWindow::refuseCounterOp(const QString& action, const QString& msg, const QString& remark) {
  showCounterResult(action, false, msg, CardTxn{});
  WriteAPLog(gAppName, action, msg, remark);
}

void MainWindow::showCounterResult(const QString& action, bool ok, const QString& msg, const CardTxn& txn) {
  if (!ok) {
    // The status bar must not go on showing the last success.
    DispElaMsg(elaMsg_, msg);
    ShowMsg(msg);
    return;
  }
  field(QStringLiteral("txtCardNo"))->setText(txn.cardNo);
  field(QStringLiteral("txtDeptNo"))->setText(txn.storeNo);
  field(QStringLiteral("txtBatchNo"))->setText(txn.batchNo);
  field(QStringLiteral("txtGoodThru"))->setText(txn.goodThru);
  field(QStringLiteral("txtBalAmt"))->setText(txn.newBal.toString());
  field(QStringLiteral("txtBalPoint"))->setText(txn.newPoints.toString());
  // The entries are used up, so that a second press cannot repeat the transaction.
  for (const char* name : {"txtAmt", "txtPoint", "txtAmtB", "txtVoidPoint"}) {
    field(QString::fromLatin1(name))->clear();
  }
  cboType()->setCurrentIndex(-1);
  DispElaMsg(elaMsg_, action + QStringLiteral("完成，") + counterText(txn));
}

void MainWindow::cmdClientAddAmt_Click() {
  const QString action = ApAction::TopUp;
  QString msg;
  std::optional<Money> limit;
  const auto amount = wholeEntry(field(QStringLiteral("txtAmt")), QStringLiteral("金額"), true, msg);
  if (!amount) return refuseCounterOp(action, msg, kApRefusedRemark);
  if (!BalanceLimit(limit, msg)) return refuseCounterOp(action, msg, kApFailRemark);
  runCounterOp(QStringLiteral("fmTolva_cmdClientAddAmt_Click"), action, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.balLimit = limit;
    v.dbStep = PostToMaster;
    return TopUpCard(kTopUpMode, *amount, Money(), v, m, &t);
  });
}

void MainWindow::cmdDeductAmt_Click() {
  const QString action = ApAction::Deduct;
  QString msg;
  const auto amount = wholeEntry(field(QStringLiteral("txtAmt")), QStringLiteral("金額"), true, msg);
  bool bad = false;
  const auto rate = numericParam(QStringLiteral("QDR_PointRate"), bad);
  if (!amount) return refuseCounterOp(action, msg, kApRefusedRemark);
  if (bad) return refuseCounterOp(action, QStringLiteral("紅利點數比率參數設定有誤"), kApFailRemark);
  runCounterOp(QStringLiteral("fmTolva_cmdDeductAmt_Click"), action, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.dbStep = PostToMaster;
    // Inside the operation's trap: a rate too large for the amount is an overflow error.
    return DeductFromCard(*amount, rate ? earnedPoints(*amount, *rate) : Money(), v, m, &t);
  });
}

void MainWindow::cmdDeductPoint_Click() {
  const QString action = ApAction::DeductPoint;
  QString msg;
  const auto points = wholeEntry(field(QStringLiteral("txtPoint")), QStringLiteral("點數"), true, msg);
  if (!points) return refuseCounterOp(action, msg, kApRefusedRemark);
  runCounterOp(QStringLiteral("fmTolva_cmdDeductPoint_Click"), action, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.dbStep = PostToMaster;
    return DeductPointsFromCard(*points, v, m, &t);
  });
}

void MainWindow::cmdSaleCardT_Click() {
  runCounterOp(QStringLiteral("fmTolva_cmdSaleCardT_Click"), ApAction::Sale,
               [](TxnValues& v, QString& m, CardTxn& t) {
                 v.dbStep = markSold;
                 return SellCard(v, m, &t);
               });
}

void MainWindow::cmdUPDOCheck_Click() {
  const QString action = ApAction::Reversal;
  QString msg;
  const QString mode = reversalMode();
  QLineEdit* pointsField = field(QStringLiteral("txtVoidPoint"));
  // A deduction reversed without points typed takes back what its amount earned.
  const bool earnedPointsBack = mode == QLatin1String("2") && pointsField->text().trimmed().isEmpty();
  std::optional<Money> amount, points;
  if (mode.isEmpty()) {
    msg = QStringLiteral("請選擇沖正類別");
  } else if ((amount = wholeEntry(field(QStringLiteral("txtAmtB")), QStringLiteral("沖正金額"), false, msg)) &&
             (points = wholeEntry(pointsField, QStringLiteral("沖正點數"), false, msg)) && *amount == Money() &&
             *points == Money()) {
    msg = QStringLiteral("請輸入沖正金額或點數");
  }
  if (!msg.isEmpty()) return refuseCounterOp(action, msg, kApRefusedRemark);
  std::optional<Money> limit;
  if (!BalanceLimit(limit, msg)) return refuseCounterOp(action, msg, kApFailRemark);
  if (earnedPointsBack) {
    bool bad = false;
    const auto rate = numericParam(QStringLiteral("QDR_PointRate"), bad);
    if (bad) return refuseCounterOp(action, QStringLiteral("紅利點數比率參數設定有誤"), kApFailRemark);
    points = rate ? earnedPoints(*amount, *rate) : Money();
    // Shown before the card is asked for, so the operator sees what goes back with the money.
    pointsField->setText(points->toString());
  }
  runCounterOp(QStringLiteral("fmTolva_cmdUPDOCheck_Click"), action, [&](TxnValues& v, QString& m, CardTxn& t) {
    // A reversal that credits the card is held to the same limit as a top-up.
    v.balLimit = limit;
    v.pointsAtMost = earnedPointsBack;
    v.dbStep = PostToMaster;
    return TopUpCard(mode, *amount, *points, v, m, &t);
  });
}
