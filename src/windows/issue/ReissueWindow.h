#pragma once
// The re-issue window: replaces a card that was taken back (erased or blacklisted) with a new
// card carrying its value. The new card gets a master row of its own pointing back to the old
// number and a re-issue transaction; the old row is left as it is, and an old card can be
// replaced only once.
#include "operations/CardOperation.h"

#include <QWidget>

class CardMessagePanel;
class StatusPanel;
class QLineEdit;
class QPushButton;

class ReissueWindow : public QWidget {
  Q_OBJECT
public:
  explicit ReissueWindow(QWidget* parent = nullptr);

  // The re-issue of the loaded old card (ReissueWindowRun.cpp).
  void cmdIsuCard_Click();
  void cmdExit_Click();
  // The checks on leaving a field; false keeps the focus in it.
  bool txtOCardNo_Validate();
  bool txtRemark_Validate();
  // Leaving the file field: an empty path clears the message lines, a path loads its file.
  void txtFile_LostFocus();
  void txtFile_DblClick();

  // Shows the old card's master row; false when the database does not hold the number.
  bool QryCardData(const QString& cardNo);

  QLineEdit* field(const QString& name) const;
  QLineEdit* txtOCardNo() const { return txtOCardNo_; }
  QLineEdit* txtNewCardType() const { return txtNewCardType_; }
  QLineEdit* txtRemark() const { return txtRemark_; }
  QLineEdit* txtFile() const { return txtFile_; }
  CardMessagePanel* msgPanel() const { return panel_; }
  StatusPanel* elaMsg() const { return elaMsg_; }
  QPushButton* cmdIsuCard() const { return cmdIsuCard_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* buildCardFrame();
  QWidget* buildInputRows();
  void loadMsgFile(const QString& path);
  // The re-issue steps (ReissueWindowRun.cpp).
  void reIssue();

  QLineEdit* txtOCardNo_;
  QLineEdit* txtDeptNo_;
  QLineEdit* txtDeptName_;
  QLineEdit* txtBalAmt_;
  QLineEdit* txtBalPoint_;
  QLineEdit* txtGoodThru_;
  QLineEdit* txtIssueDate_;
  QLineEdit* txtStatus_;
  QLineEdit* txtStatusDscp_;
  QLineEdit* txtNewCardType_;
  QLineEdit* txtRemark_;
  QLineEdit* txtFile_;
  CardMessagePanel* panel_;
  StatusPanel* elaMsg_;
  QPushButton* cmdIsuCard_;
  bool running_ = false;
};
