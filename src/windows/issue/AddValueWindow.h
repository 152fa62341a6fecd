#pragma once
// The add-value window: tops up the stored value of one card at the counter. The database
// change is committed only once the card carries the new values on its stripe and face.
#include "core/Money.h"
#include "operations/CardOperation.h"

#include <QWidget>

class CardMessagePanel;
class StatusPanel;
class QLineEdit;
class QPushButton;

class AddValueWindow : public QWidget {
  Q_OBJECT
public:
  explicit AddValueWindow(QWidget* parent = nullptr);

  // One top-up: read the card, update its master row and journal, rewrite the card, commit.
  void cmdOK_Click();
  // Stores the message file path for the next run and hides the window.
  void cmdExit_Click();
  // The check on leaving the amount field; false keeps the focus there.
  bool txtAddAmt_Validate();
  // Leaving the file field: an empty path clears the message lines, a path loads its file.
  void txtFile_LostFocus();
  void txtFile_DblClick();

  QLineEdit* txtCardNo() const { return txtCardNo_; }
  QLineEdit* txtGoodThru() const { return txtGoodThru_; }
  QLineEdit* txtBalAmtB() const { return txtBalAmtB_; }
  QLineEdit* txtBalAmtE() const { return txtBalAmtE_; }
  QLineEdit* txtAddAmt() const { return txtAddAmt_; }
  QLineEdit* txtFile() const;
  CardMessagePanel* msgPanel() const { return panel_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  QWidget* buildCardFrame();
  QWidget* buildInputRow();
  void topUp();
  // The amount's value when the field holds a number above 0; otherwise the status bar says
  // why and nothing is answered.
  std::optional<Money> checkedAmount();
  void refuseAmount(const QString& message);

  QLineEdit* txtCardNo_;
  QLineEdit* txtGoodThru_;
  QLineEdit* txtBalAmtB_;
  QLineEdit* txtBalAmtE_;
  QLineEdit* txtAddAmt_;
  class MessageFileRow* fileRow_;
  CardMessagePanel* panel_;
  StatusPanel* elaMsg_;
  QPushButton* cmdOK_ = nullptr;
  bool pressing_ = false;
};
