// The connection-string parser: the pairs it finds survive being written back with quoting,
// masking keeps every pair and hides every password, and the key map agrees with the lookups.
#include "FuzzSupport.h"

#include "db/ConnectionString.h"

#include <QStringList>

namespace {

using Pairs = QList<std::pair<QString, QString>>;

Pairs pairsOf(const ConnectionString& cs) {
  Pairs out;
  for (const ConnectionString::Part& p : cs.parts()) out.append({p.key, p.value});
  return out;
}

QStringList keysOf(const ConnectionString& cs) {
  QStringList out;
  for (const ConnectionString::Part& p : cs.parts()) out << p.key;
  return out;
}

bool isPassword(const QString& key) {
  return key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0 ||
         key.compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0;
}

// Written back the way the program builds strings, the pairs read as they were.
void checkQuotingRoundTrip(const ConnectionString& cs) {
  QStringList segments;
  for (const ConnectionString::Part& p : cs.parts()) segments << p.key + QLatin1Char('=') + QuoteConnectionValue(p.value);
  FUZZ_CHECK(pairsOf(ConnectionString(segments.join(QLatin1Char(';')))) == pairsOf(cs));
}

void checkMasking(const ConnectionString& cs) {
  const ConnectionString masked(cs.masked());
  FUZZ_CHECK(keysOf(masked) == keysOf(cs));
  for (const ConnectionString::Part& p : masked.parts()) {
    if (isPassword(p.key)) FUZZ_CHECK(p.value.startsWith(QLatin1String("****")));
  }
  for (const ConnectionString::Part& p : cs.parts()) {
    if (!isPassword(p.key) || p.value.size() < 3 || p.value.contains(QLatin1Char('*'))) continue;
    FUZZ_CHECK(!cs.hidePassword(cs.text()).contains(p.value));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ConnectionString cs(QString::fromUtf8(fuzz::bytes(data, size)));
  for (const ConnectionString::Part& p : cs.parts()) {
    FUZZ_CHECK(!p.key.isEmpty() && p.key == p.key.trimmed());
    FUZZ_CHECK(p.valueFrom <= p.valueTo && p.valueTo <= cs.text().size());
  }
  const QMap<QString, QString> map = ParseConnectionString(cs.text());
  for (auto it = map.cbegin(); it != map.cend(); ++it) {
    FUZZ_CHECK(it.key() == it.key().toCaseFolded());
    FUZZ_CHECK(cs.value(it.key()) == it.value());
  }
  checkQuotingRoundTrip(cs);
  checkMasking(cs);
  return 0;
}
