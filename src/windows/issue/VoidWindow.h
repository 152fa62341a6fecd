#pragma once
// The void window: takes back an amount from the card the operator inserts, with the bill
// number of the transaction it reverses. The card, its master row and its journal change in one
// transaction that commits only once the card carries the reduced balance.
#include <QWidget>

class CardMessagePanel;
class StatusPanel;
class MessageFileRow;
class QLineEdit;
class QPushButton;

class VoidWindow : public QWidget {
  Q_OBJECT
public:
  explicit VoidWindow(QWidget* parent = nullptr);

  // One reversal of the amount typed (an empty amount reverses 0).
  void cmdVoidTxn_Click();
  // Stores the message file path for the next run and hides the window.
  void cmdExit_Click();
  // The check on leaving the amount field; false keeps the focus there.
  bool txtVoidAmt_Validate();

  QLineEdit* txtCheckNo() const { return txtCheckNo_; }
  QLineEdit* txtVoidAmt() const { return txtVoidAmt_; }
  QLineEdit* txtFile() const;
  MessageFileRow* fileRow() const { return fileRow_; }
  CardMessagePanel* msgPanel() const { return panel_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  QWidget* buildInputRows();
  void voidTxn();

  QLineEdit* txtCheckNo_ = nullptr;
  QLineEdit* txtVoidAmt_ = nullptr;
  CardMessagePanel* panel_;
  MessageFileRow* fileRow_;
  StatusPanel* elaMsg_;
  QPushButton* cmdVoidTxn_ = nullptr;
  bool pressing_ = false;
};
