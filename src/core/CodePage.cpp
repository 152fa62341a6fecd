#include "core/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
QString g_name = QStringLiteral("CP950");
QByteArray g_codec = "windows-950";

// Windows' CP950 is what the stored files hold; ICU's own "CP950" alias maps a few
// characters differently, so it is asked for under its Windows name.
QByteArray codecFor(const QString& name) {
  const QString n = name.trimmed().toUpper();
  if (n == QLatin1String("CP950") || n == QLatin1String("950") || n == QLatin1String("BIG5"))
    return "windows-950";
  return name.trimmed().toLatin1();
}
}  // namespace

namespace CodePage {

bool select(const QString& name) {
  if (name.trimmed().isEmpty()) return false;
  const QByteArray codec = codecFor(name);
  QStringEncoder probe(codec.constData());
  if (!probe.isValid()) return false;
  g_codec = codec;
  g_name = name.trimmed();
  return true;
}

QString name() { return g_name; }

QByteArray toAnsi(const QString& text) {
  QStringEncoder enc(g_codec.constData());
  return enc(text);
}

QString fromAnsi(const QByteArray& bytes) {
  QStringDecoder dec(g_codec.constData());
  return dec(bytes);
}

int byteLength(const QString& text) { return static_cast<int>(toAnsi(text).size()); }

}  // namespace CodePage
