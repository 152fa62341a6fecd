// The counter operations of the main window's card frame. Each runs the card routine inside
// one database transaction together with the master row's update, so that the card, its
// journal and its master row change together or not at all.
#include "windows/counter/MainWindow.h"

#include "core/ShowMessage.h"
#include "ui/PressGuard.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "operations/CounterOperations.h"
#include "ui/ErrorReports.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

void MainWindow::installCounterChecks() {
  for (const char* name : {"txtAmt", "txtPoint", "txtAmtB", "txtVoidPoint"}) {
    FieldBehaviour::install(field(QString::fromLatin1(name)))->setCheck([this](QLineEdit* f) {
      if (Money::parse(f->text())) return true;
      ShowStatusMessage(elaMsg_, NotAnAmountText(f->text(), QStringLiteral("必需為數字")));
      return false;
    });
  }
}

QComboBox* MainWindow::cboType() const { return findChild<QComboBox*>(QStringLiteral("cboType")); }

QString MainWindow::reversalMode() const { return cboType()->currentData().toString(); }

void MainWindow::runCounterOp(const std::function<CounterOutcome()>& call) {
  // The card frame stays disabled while an operation runs: the device polls let clicks
  // through, and a second operation must not start inside the first one's transaction.
  const PressGuard press(counterBusy_, {findChild<QGroupBox*>(QStringLiteral("fraCard"))});
  if (!press) return;
  showCounterResult(WithErrorReports(call));
}

void MainWindow::showCounterResult(const CounterOutcome& out) {
  if (!out.ok) {
    // The status bar must not go on showing the last success.
    ShowStatusMessage(elaMsg_, out.message);
    ShowMessage(out.message);
    return;
  }
  const CardTxn& txn = out.txn;
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
  ShowStatusMessage(elaMsg_, out.action + QStringLiteral("完成，") + CounterResultText(txn));
}

void MainWindow::topUpCard() {
  runCounterOp([this] { return TopUp(OperationContext::Current(), field(QStringLiteral("txtAmt"))->text()); });
}

void MainWindow::deductAmount() {
  runCounterOp([this] { return Deduct(OperationContext::Current(), field(QStringLiteral("txtAmt"))->text()); });
}

void MainWindow::deductPoints() {
  runCounterOp([this] { return DeductPoints(OperationContext::Current(), field(QStringLiteral("txtPoint"))->text()); });
}

void MainWindow::sellCard() {
  runCounterOp([] { return SellAtCounter(OperationContext::Current()); });
}

void MainWindow::reverseTransaction() {
  QLineEdit* pointsField = field(QStringLiteral("txtVoidPoint"));
  const ReversalRequest request{reversalMode(), field(QStringLiteral("txtAmtB"))->text(), pointsField->text()};
  runCounterOp([&] {
    // Shown before the card is asked for, so the operator sees what goes back with the money.
    return Reverse(OperationContext::Current(), request,
                   [pointsField](const Money& points) { pointsField->setText(points.toString()); });
  });
}
