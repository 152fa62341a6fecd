#include "windows/issue/GoodThruWindow.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "ui/CardMessagePanel.h"
#include "operations/GoodThruChange.h"
#include "ui/ErrorReports.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

GoodThruWindow::GoodThruWindow(QWidget* parent)
    : CardFaceWindow(QStringLiteral("fmUpdGoodThru"), QStringLiteral("設定有效日期"), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildDateRow());
  layout->addWidget(buildCardFrame());
  cmdOK_ = addFoot(layout, {.loadOnLeave = true, .keepPerWindow = true}, QStringLiteral("確定"), QStringLiteral("cmdOK"));

  InstallDateField(txtUpdGoodThru_, elaMsg_);
  connect(cmdOK_, &QPushButton::clicked, this, &GoodThruWindow::changeGoodThru);

  resize(560, sizeHint().height());
  finishSetUp();
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
  const CardFrame card = makeCardFrame(QStringLiteral("txtBalAmt"), QStringLiteral("可用餘額"),
                                       QStringLiteral("txtBalPoint"), QStringLiteral("紅利點數"));
  txtCardNo_ = card.cardNo;
  txtGoodThru_ = card.goodThru;
  txtBalAmt_ = card.first;
  txtBalPoint_ = card.second;
  return card.frame;
}

// ---- The loop ----------------------------------------------------------------------------

void GoodThruWindow::changeGoodThru() {
  RunPress(pressing_, {cmdOK_, cmdExit_}, ErrorLabel(), [this] { runLoop(); });
}

void GoodThruWindow::runLoop() {
  if (TheSettings().batchKey.isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("未設定資料加密碼"));
    return;
  }
  if (txtUpdGoodThru_->text().trimmed().isEmpty()) {
    ShowMessage(QStringLiteral("請輸入有效日期"));
    txtUpdGoodThru_->setFocus();
    return;
  }
  const QString newDate = DateForStorage(DateWithSeparators(txtUpdGoodThru_->text().trimmed()));
  if (newDate.size() != 10) {
    ShowMessage(QStringLiteral("日期格式不對"));
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
  while (changeOneCard(newDate)) {
    // Only a committed change has its remark; a refused card keeps its own text in the status
    // bar, as the message window showed it.
    if (!remark_.isEmpty()) ShowStatusMessage(elaMsg_, QStringLiteral("有效日變更完成，卡號") + txtCardNo_->text());
  }
  ShowStatusMessage(elaMsg_, QStringLiteral("設定完成"));
}

bool GoodThruWindow::changeOneCard(const QString& newDate) {
  remark_.clear();
  const auto showCard = [this](const CardImage& c) {
    txtCardNo_->setText(c.cardNo.trimmed());
    txtGoodThru_->setText(DateForDisplay(c.goodThru));
    txtBalAmt_->setText(c.balAmt.trimmed());
    txtBalPoint_->setText(c.balPoint.trimmed());
  };
  const CardOutcome out = WithErrorReports(
      [&] { return ChangeGoodThru(OperationContext::Current(), newDate, panel_->faceText(), showCard); });
  if (out.ok) {
    remark_ = out.detail;
    txtGoodThru_->setText(DateForDisplay(newDate));
    return true;
  }
  if (out.endsRun()) return false;
  const QString shown = WithCardNo(out.message, out.card);
  ShowStatusMessage(elaMsg_, shown);
  ShowMessage(shown);
  return true;
}
