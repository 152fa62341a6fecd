#pragma once
// The blacklisting window: cancels the number of a lost or damaged card. The master row gets
// the blacklisted status with the reason, the number joins the list exported to the stores,
// and a journal row records it, all in one transaction. The card itself is not needed.
#include "windows/inquiry/CardQueryView.h"

#include <QString>

class BlacklistWindow : public CardPagesWindow {
  Q_OBJECT
public:
  explicit BlacklistWindow(QWidget* parent = nullptr);

  // Leaving the card number shows its card; false (the focus stays) when there is no such card.
  bool checkCardNumber();
  void blacklistCard();

private:
  void setBlack();
  // Shows the card; false when the database has no such card (or could not be read).
  bool showCard(const QString& cardNo);

  // The number whose card the fields show: their status says nothing about another number.
  QString shownCardNo_;
};
