// The re-issue of ReissueWindow: the checks on the old card, then one card operation on a blank
// card that numbers the new card, stores its rows and writes and prints it before the commit.
#include "windows/issue/ReissueWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/CardMessagePanel.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "operations/CardReissue.h"
#include "ui/ErrorReports.h"

#include <QLineEdit>
#include <QPushButton>

void ReissueWindow::reissueCard() {
  RunPress(pressing_, {cmdIsuCard_}, ErrorLabel(), [this] { runReissue(); });
}

void ReissueWindow::runReissue() {
  elaMsg_->setCaption(QString());
  ReissueRequest request;
  request.oldCardNo = txtOCardNo_->text().trimmed().toUpper();
  request.newCardType = txtNewCardType_->text().trimmed().toUpper();
  request.remark = txtRemark_->text().trimmed();
  request.faceText = panel_->faceText();
  const ReissueOutcome out = WithErrorReports([&] { return ReissueCard(OperationContext::Current(), request); });
  using Refusal = ReissueOutcome::Refusal;
  switch (out.refusal) {
    case Refusal::NoCardKey:
    case Refusal::NoSuchCard: ShowStatusMessage(elaMsg_, out.message); return;
    case Refusal::RemarkTooLong:
      ShowMessage(out.message);
      SelectAll(txtRemark_);
      return;
    case Refusal::NoOldCardNo:
    case Refusal::NotReplaceable:
    case Refusal::NoCardType: ShowMessage(out.message); return;
    case Refusal::Declined: return;
    case Refusal::None: break;
  }
  if (out.ok) {
    ShowStatusMessage(elaMsg_, QStringLiteral("已補發，新卡卡號：") + out.newCardNo, 0);
    return;
  }
  ShowStatusMessage(elaMsg_, out.message);
  if (out.cancelled) return;
  const QString& cardNo = out.newCardNo;
  Dialogs().messageBox(cardNo.isEmpty() || out.message.contains(cardNo) ? out.message
                                                                         : out.message + QStringLiteral("，卡號:") + cardNo,
                       TheSettings().appName, MsgIcon::None);
}
