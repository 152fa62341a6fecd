#pragma once
// The stored form of the card data key (xxPARAM BatchKey): enciphered under the program's
// built-in key, as hexadecimal text.
#include <QString>

QString BatchKeyFromStored(const QString& hex);
QString BatchKeyToStored(const QString& key);
