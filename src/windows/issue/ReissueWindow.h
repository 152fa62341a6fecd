#pragma once
// The re-issue window: replaces a card that was taken back (erased or blacklisted) with a new
// card carrying its value. The new card gets a master row of its own pointing back to the old
// number and a re-issue transaction; the old row is left as it is, and an old card can be
// replaced only once.
#include "operations/CardOperation.h"
#include "ui/CardFaceWindow.h"

class QLineEdit;
class QPushButton;

class ReissueWindow : public CardFaceWindow {
  Q_OBJECT
public:
  explicit ReissueWindow(QWidget* parent = nullptr);

  // The re-issue of the loaded old card (ReissueWindowRun.cpp).
  void reissueCard();
  // The checks on leaving a field; false keeps the focus in it.
  bool checkOldCardNumber();
  bool checkRemark();

  // Shows the old card's master row; false when the database does not hold the number.
  Fetched<bool> showOldCard(const QString& cardNo);

  QLineEdit* field(const QString& name) const;
  QLineEdit* txtOCardNo() const { return txtOCardNo_; }
  QLineEdit* txtNewCardType() const { return txtNewCardType_; }
  QLineEdit* txtRemark() const { return txtRemark_; }
  QPushButton* cmdIsuCard() const { return cmdIsuCard_; }

private:
  QWidget* buildCardFrame();
  QWidget* buildInputRows();
  // The re-issue steps (ReissueWindowRun.cpp).
  void runReissue();

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
  QPushButton* cmdIsuCard_;
};
