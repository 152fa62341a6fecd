#include "device/CardKey.h"

#include "core/CodePage.h"
#include "core/Text.h"

namespace {
// The built-in key under which the card data key is stored.
const QByteArray kMasterKey = QByteArrayLiteral("KMPW");
}  // namespace

QString BatchKeyFromStored(const QString& hex) { return CodePage::fromAnsi(Encrypt(HexToBytes(hex), kMasterKey)); }

QString BatchKeyToStored(const QString& key) { return BytesToHex(Encrypt(CodePage::toAnsi(key), kMasterKey)); }
