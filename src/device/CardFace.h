#pragma once
// The card face: the printed text of a card's values, and printing it on the card in the reader.
#include "core/Money.h"

#include <QString>
#include <QVariant>
#include <optional>

// The face text. Amounts stand right-aligned in eight positions; a value longer than eight
// characters has no face (nothing answered).
std::optional<QString> CardFaceText(const QString& cardNo, const QString& storeNo, const QVariant& goodThru,
                                    const QString& balAmt, const QString& balPoint, const QString& freeText = QString(),
                                    const std::optional<QString>& prevBal = std::nullopt,
                                    const std::optional<QString>& txnAmt = std::nullopt);

// Erases and prints the face of the card in the reader.
bool PrintCardFace(const QString& cardNo, const QString& storeNo, const QVariant& goodThru, const QString& balAmt,
                   const QString& balPoint, QString& msg, const QString& freeText = QString(),
                   const std::optional<QString>& prevBal = std::nullopt,
                   const std::optional<QString>& txnAmt = std::nullopt);

// The card carries each amount and point value in eight positions, on the stripe and the face.
inline constexpr int kCardValueWidth = 8;
// True when the value's text fits those positions.
bool FitsOnCard(const Money& value);

// A value of a card record as the text the card carries ("1500", "12.5"; empty stays empty).
QString CardValueText(const QVariant& value);
