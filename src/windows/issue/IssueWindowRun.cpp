// The issuing run of IssueWindow: one card operation per card, on a blank card; each card's rows
// are committed while the card, written and printed, is still in the reader.
#include "windows/issue/IssueWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "core/Money.h"
#include "ui/PressGuard.h"
#include "ui/StatusPanel.h"
#include "ui/CardMessagePanel.h"
#include "operations/CardIssue.h"
#include "ui/ErrorReports.h"

#include <QLineEdit>
#include <QPushButton>

void IssueWindow::issueCards() {
  const PressGuard press(running_, {cmdIsuCard_});
  if (!press) return;

  qint64 committed = 0;
  bool failed = false;
  QString firstCardNo, lastCardNo, failText, unprinted;
  try {
    if (fieldsAllowRun()) {
      IssueRun run;
      run.freeText = msgPanel_->faceText();
      run.count = Money::val(txtCardCnt_->text()).units() / Money::kScale;
      run.cardType = txtCardType_->text().trimmed();
      run.store = txtStoreID_->text().trimmed();
      run.balAmt = Money::val(txtBalAmt_->text());
      run.remark = txtRemark_->text().trimmed();
      if (!WithErrorReports([&] { return PrepareIssueRun(OperationContext::Current(), run, failText); })) {
        Dialogs().messageBox(failText, TheSettings().appName, MsgIcon::None);
        failed = true;
      } else {
        while (committed < run.count) {
          QString cardNo;
          failText.clear();
          const IssueResult outcome =
              WithErrorReports([&] { return IssueOneCard(OperationContext::Current(), run, cardNo, failText); });
          if (outcome == IssueResult::Refused) {
            ShowStatusMessage(elaMsg_, failText);
            continue;
          }
          if (outcome == IssueResult::Failed) {
            if (!cardNo.isEmpty() && !failText.contains(cardNo)) failText += QStringLiteral("，卡號:") + cardNo;
            Dialogs().messageBox(failText, TheSettings().appName, MsgIcon::None);
            failed = true;
            break;
          }
          ++committed;
          // The grid lists only what the database holds, so the row follows the commit.
          addCommittedCardRow(cardNo, run.balAmt.toString());
          if (committed == 1) firstCardNo = cardNo;
          lastCardNo = cardNo;
          ShowStatusMessage(elaMsg_, QStringLiteral("已發卡，卡號：") + cardNo);
          txtCardCnt_->setText((Money::val(txtCardCnt_->text()) - Money::fromInt(1)).toString());
          if (outcome == IssueResult::IssuedUnprinted) {
            // The card is issued; the run stops so that it is put aside for its face.
            Dialogs().messageBox(failText, TheSettings().appName, MsgIcon::None);
            unprinted = cardNo;
            break;
          }
        }
      }
    }
  } catch (...) {
    ReportError(ErrorLabel());
    if (failText.isEmpty()) failText = QStringLiteral("執行錯誤");
    failed = true;
  }

  // Closing steps; a failure here must not hide the ones after it.
  try {
    WithErrorReports([&] { return LogIssueRun(failed, failText, committed, firstCardNo, lastCardNo, unprinted); });
  } catch (...) {
    LogError(ErrorLabel());
  }
}
