#pragma once
// Fixed-width fields in code-page bytes, hexadecimal text and the card data cipher.
#include <QByteArray>
#include <QString>

// Fits a text into exactly `width` bytes of the code page: cut, then padded with blanks.
// A double-byte character cut in half is dropped, so the result always decodes cleanly.
QByteArray FitToBytes(const QString& text, int width);
// Each byte as two upper-case hexadecimal digits.
QString BytesToHex(const QByteArray& bytes);
// Two digits per byte; an odd last digit is ignored.
QByteArray HexToBytes(const QString& hex);
// Repeating-key exclusive-or; the same call deciphers. An empty key logs the error under
// "Encrypt" and answers an empty text.
QByteArray Encrypt(const QByteArray& text, const QByteArray& key);
