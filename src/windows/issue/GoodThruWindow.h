#pragma once
// The good-thru window: sets one new good-thru date on every card the operator inserts, until
// the card wait is cancelled. Each card's master row, journal, stripe and face change together
// or not at all, and each card leaves the reader before the next is asked for.
#include "operations/CardOperation.h"
#include "ui/CardFaceWindow.h"

class QLineEdit;
class QPushButton;

class GoodThruWindow : public CardFaceWindow {
  Q_OBJECT
public:
  explicit GoodThruWindow(QWidget* parent = nullptr);

  // The update loop, card after card.
  void changeGoodThru();
  // One card, given the new date as "YYYY/MM/DD": true to go on with the next card.
  bool changeOneCard(const QString& newDate);

  QLineEdit* txtUpdGoodThru() const { return txtUpdGoodThru_; }
  QLineEdit* txtCardNo() const { return txtCardNo_; }
  QLineEdit* txtGoodThru() const { return txtGoodThru_; }
  QLineEdit* txtBalAmt() const { return txtBalAmt_; }
  QLineEdit* txtBalPoint() const { return txtBalPoint_; }

private:
  QWidget* buildDateRow();
  QWidget* buildCardFrame();
  void runLoop();

  QLineEdit* txtUpdGoodThru_ = nullptr;
  QLineEdit* txtCardNo_ = nullptr;
  QLineEdit* txtGoodThru_ = nullptr;
  QLineEdit* txtBalAmt_ = nullptr;
  QLineEdit* txtBalPoint_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  QString remark_;  // the last card's change: old date "-" new date
};
