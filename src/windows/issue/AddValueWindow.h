#pragma once
// The add-value window: tops up the stored value of one card at the counter. The database
// change is committed only once the card carries the new values on its stripe and face.
#include "core/Money.h"
#include "operations/CardOperation.h"
#include "ui/CardFaceWindow.h"

class QLineEdit;
class QPushButton;

class AddValueWindow : public CardFaceWindow {
  Q_OBJECT
public:
  explicit AddValueWindow(QWidget* parent = nullptr);

  // One top-up: read the card, update its master row and journal, rewrite the card, commit.
  void addValue();
  // The check on leaving the amount field; false keeps the focus there.
  bool checkAmount();

  QLineEdit* txtCardNo() const { return txtCardNo_; }
  QLineEdit* txtGoodThru() const { return txtGoodThru_; }
  QLineEdit* txtBalAmtB() const { return txtBalAmtB_; }
  QLineEdit* txtBalAmtE() const { return txtBalAmtE_; }
  QLineEdit* txtAddAmt() const { return txtAddAmt_; }

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
  QPushButton* cmdOK_ = nullptr;
};
