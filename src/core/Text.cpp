#include "core/Text.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"

QByteArray FitToBytes(const QString& text, int width) {
  if (width <= 0) return {};
  QByteArray out;
  // Character by character, so a double-byte character is never split.
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    const QByteArray bytes = CodePage::toAnsi(text.mid(i, len));
    if (out.size() + bytes.size() > width) break;
    out.append(bytes);
    i += len - 1;
  }
  return out.leftJustified(width, ' ');
}

QString BytesToHex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex().toUpper()); }

QByteArray HexToBytes(const QString& hex) {
  QByteArray out;
  for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
    bool ok = false;
    const int v = hex.mid(i, 2).toInt(&ok, 16);
    out.append(static_cast<char>(ok ? v : 0));
  }
  return out;
}


QByteArray Encrypt(const QByteArray& text, const QByteArray& key) {
  if (key.isEmpty()) {
    LogError(ErrorLabel(), QStringLiteral("5"), QStringLiteral("Invalid procedure call or argument"));
    return {};
  }
  QByteArray out = text;
  for (qsizetype i = 0, k = 0; i < out.size(); ++i, k = (k + 1) % key.size()) {
    out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^ static_cast<unsigned char>(key[k]));
  }
  return out;
}
