#pragma once
// A card's values as the reader found them and as the program writes them back.
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

// A card's values as its stripe and face carry them.
struct CardImage {
  QString cardNo;
  QString storeNo;
  QString batchNo;
  QVariant goodThru;
  QString balAmt;
  QString balPoint;
  QString freeText;                 // the card message lines, printed under the values
  std::optional<QString> prevBal;   // face line "上期餘額"
  std::optional<QString> txnAmt;    // face line "本次交易"
  bool blank = false;               // a wiped card: blank stripe, empty face (`cardNo` only names it)

  // The card wiped back to a blank one.
  static CardImage Wiped(const QString& cardNo) {
    CardImage c;
    c.cardNo = cardNo;
    c.blank = true;
    return c;
  }
};

// The card in the reader as the operation found it.
struct CardRead {
  QByteArray record;  // track 1 as read
  bool blank = true;  // the stripe holds nothing but blanks
  bool valid = false; // the stripe holds a card record; `image` has its values
  bool readable = true; // false: the reader could not read the stripe (see acceptUnreadable)
  CardImage image;    // values as the stripe holds them (card number with its trailing blanks)
};
