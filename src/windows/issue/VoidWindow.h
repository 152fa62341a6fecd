#pragma once
// The void window: takes back an amount from the card the operator inserts, with the bill
// number of the transaction it reverses. The card, its master row and its journal change in one
// transaction that commits only once the card carries the reduced balance.
#include "ui/CardFaceWindow.h"

class QLineEdit;
class QPushButton;

class VoidWindow : public CardFaceWindow {
  Q_OBJECT
public:
  explicit VoidWindow(QWidget* parent = nullptr);

  // One reversal of the amount typed (an empty amount reverses 0).
  void voidTransaction();
  // The check on leaving the amount field; false keeps the focus there.
  bool checkAmount();

  QLineEdit* txtCheckNo() const { return txtCheckNo_; }
  QLineEdit* txtVoidAmt() const { return txtVoidAmt_; }

private:
  QWidget* buildInputRows();
  void runVoid();

  QLineEdit* txtCheckNo_ = nullptr;
  QLineEdit* txtVoidAmt_ = nullptr;
  QPushButton* cmdVoidTxn_ = nullptr;
};
