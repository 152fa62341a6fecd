#pragma once
// The card's stripe record: 57 code-page bytes on track 1.
//
//   bytes  1-7   card number            text, space-padded
//          8-10  store number           text, space-padded
//         11-15  batch number           text, space-padded
//         16-25  good-thru              "YYYY/MM/DD"
//         26-41  balance amount         8 bytes, enciphered under TheSettings().batchKey, as 16 hex digits
//         42-57  bonus points           8 bytes, enciphered under TheSettings().batchKey, as 16 hex digits
//
// Every field is cut or padded to its width in bytes, so a double-byte character counts 2.
#include <QByteArray>
#include <QString>
#include <QVariant>

// The record for the given values; shorter than 57 bytes when TheSettings().batchKey is empty.
QByteArray BuildStripeRecord(const QString& cardNo, const QString& storeNo, const QString& batchNo,
                           const QVariant& goodThru, const QString& balAmt, const QString& balPoint);

// Writes the record onto the card already in the reader. The good-thru value may be a date or
// a date text; amounts are passed as their text ("1500", "12.5").
bool WriteCardValues(const QString& cardNo, const QString& storeNo, const QString& batchNo, const QVariant& goodThru,
                   const QString& balAmt, const QString& balPoint, QString& msg);
// Writes these bytes to track 1 of the card already in the reader, as they are.
bool WriteStripeRecord(const QByteArray& record);
// Reads track 1 of the card already in the reader as it is.
bool ReadStripeRecord(QByteArray& record, QString& msg);
// The fields of a stripe record; false ("卡片資料有誤") when it is not one.
bool DecodeStripeRecord(const QByteArray& record, QString& cardNo, QString& storeNo, QString& batchNo,
                      QString& goodThru, QString& balAmt, QString& balPoint, QString& msg);
// True when the code page holds every character of the text.
bool FitsCardCodePage(const QString& text);
// Blank the stripe, and empty the print area, of the card already in the reader.
bool BlankStripe(QString& msg);
bool BlankFace(QString& msg);
