#pragma once
// The card query window: everything the database holds about one card, its master row and its
// history, by a typed card number or by the card in the reader. A read card is compared with
// its master row. The window changes nothing, neither in the database nor on the card.
#include "windows/inquiry/CardQueryView.h"

class CardQueryWindow : public CardPagesWindow {
  Q_OBJECT
public:
  explicit CardQueryWindow(QWidget* parent = nullptr);

  // Leaving the card number: blanks clear the window, a number shows its card. False (the
  // focus stays) when the database has no such card.
  bool checkCardNumber();
  // Reads the card in the reader, shows its database record and reports any difference.
  void readCard();

  QPushButton* cmdReadCard() const { return cmdReadCard_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void clearWindow();
  void readAndCompareCard();

  QPushButton* cmdReadCard_;
  bool reading_ = false;
};
