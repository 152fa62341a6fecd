#pragma once
// The one step every routine that changes a card's values ends with: the new stripe record,
// then the face. A card never leaves the reader carrying values the caller is about to roll
// back: when the face cannot be printed after the stripe was written, the card's previous
// record is written back.
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
};

// Rewrites the card in the reader (it must be inserted; it is not ejected). True when the
// stripe was written and the face printed; otherwise `msg` names the failure and the stripe
// holds what it held before.
bool QDR_RewriteCard(const CardImage& card, QString& msg);
