#include "windows/inquiry/BlacklistWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/TextTable.h"
#include "operations/Blacklisting.h"
#include "ui/ErrorReports.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The width of the remark columns the reason is written to.
constexpr int kMaxReason = 500;

}  // namespace

BlacklistWindow::BlacklistWindow(QWidget* parent)
    : CardPagesWindow(QStringLiteral("fmDelCard"), QStringLiteral("註銷卡片"), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("本作業是將遺失或損毀的卡號註銷"), this));
  QPushButton* cmdSetBlack = addPages(layout, QStringLiteral("QDR卡資料"), QStringLiteral("註銷原因"),
                                      QStringLiteral("設為黑名單"), QStringLiteral("cmdSetBlack"));
  // The reason is typed over the card's stored remark.
  txtRemark_->setFocusPolicy(Qt::StrongFocus);
  txtRemark_->setMaxLength(kMaxReason);

  FieldBehaviour::install(txtCardNo_)->setCheck([this](QLineEdit*) { return checkCardNumber(); });
  FieldBehaviour::install(txtRemark_);  // any reason is accepted
  connect(cmdSetBlack, &QPushButton::clicked, this, &BlacklistWindow::blacklistCard);

  resize(640, 440);
  resetWindow();
}

bool BlacklistWindow::showCard(const QString& cardNo) {
  bool found = false;
  if (!LookUpAndShowCard(this, fgCardLog_, cardNo, found) || !found) return false;
  shownCardNo_ = cardNo;
  return true;
}

bool BlacklistWindow::checkCardNumber() {
  try {
    // An emptied number leaves the last card on screen.
    const QString cardNo = txtCardNo_->text().trimmed();
    if (cardNo.isEmpty() || txtCardNo_->isReadOnly() || showCard(cardNo)) return true;
    ShowStatusMessage(elaMsg_, kNoSuchCardNumber);
    SelectAll(txtCardNo_);
    return false;
  } catch (...) {
    ReportError(ErrorLabel());
    return true;
  }
}

void BlacklistWindow::blacklistCard() {
  try {
    setBlack();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void BlacklistWindow::setBlack() {
  const QString cardNo = txtCardNo_->text().trimmed();
  // A press refused before the database is asked still leaves its row in the log.
  auto refuse = [&cardNo](const QString& text) {
    ShowMessage(text);
    LogBlacklistRefused(text + QStringLiteral("，卡號：") + cardNo);
  };
  if (cardNo.isEmpty()) return refuse(QStringLiteral("請輸入卡號"));
  if (cardNo == shownCardNo_ && IsBlacklistedStatus(field(QStringLiteral("txtStatus"))->text())) {
    return refuse(kAlreadyBlacklisted);
  }
  // The number is cancelled for good at every store.
  if (!Dialogs().askYesNo(QStringLiteral("確定將卡號 ") + cardNo + QStringLiteral(" 設為黑名單？"), QStringLiteral("設定黑名單"))) {
    LogBlacklistRefused(QStringLiteral("未設定黑名單，卡號：") + cardNo);
    return;
  }
  const Outcome out =
      WithErrorReports([&] { return BlacklistCard(OperationContext::Current(), cardNo, txtRemark_->text()); });
  if (!out.ok) {
    ShowStatusMessage(elaMsg_, out.message);
    ShowMessage(out.message == kAlreadyBlacklisted ? out.message : QStringLiteral("資料庫存檔錯誤"));
    // The screen then shows the status the database holds.
    if (out.message == kAlreadyBlacklisted) showCard(cardNo);
    return;
  }
  ShowStatusMessage(elaMsg_, QStringLiteral("設定完成，卡號：") + cardNo, 0);
  showCard(cardNo);
}
