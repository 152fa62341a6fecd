// The INI reader and writer on any file: every value read is one line of at most 127
// characters; a value written to a text file reads back as written, and in a UTF-8 file
// every other value reads as before.
#include "FuzzSupport.h"

#include "core/CodePage.h"
#include "core/Ini.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

// Entries a configuration file holds, and a few a mangled file may hide.
const std::pair<const char*, const char*> kEntries[] = {
    {"PARAM", "GCNT"}, {"PARAM", "Calendar"}, {"param", "codepage"}, {"PARAM", "CustName"},
    {"Other", "A"},    {"", ""},              {"PARAM", ""},         {"a", "b"},
};

QStringList readAll(const QString& file) {
  QStringList out;
  for (const auto& [section, key] : kEntries) {
    const QString value = ReadIniValue(file, QString::fromUtf8(section), QString::fromUtf8(key));
    FUZZ_CHECK(value.size() <= 127);
    FUZZ_CHECK(!value.contains(QLatin1Char('\n')));
    out << value;
  }
  return out;
}

bool isUtf8(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(bytes);
  return !utf8.hasError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray content = fuzz::bytes(data, size);
  const QString file = fuzz::scratchFile(QStringLiteral("fuzz.ini"));
  FUZZ_CHECK(fuzz::writeFile(file, content));
  const QStringList before = readAll(file);

  // Bytes that are text in neither encoding are written back as the code page's substitute,
  // which may turn the file into UTF-8 and change how it reads: only text files must keep it.
  // A file that starts with the UTF-8 mark is read as UTF-8, so only valid UTF-8 makes it text.
  const bool marked = content.startsWith("\xEF\xBB\xBF");
  const bool text = isUtf8(content) || (!marked && CodePage::toAnsi(CodePage::fromAnsi(content)) == content);
  FUZZ_CHECK(WriteIniValue(file, QStringLiteral("PARAM"), QStringLiteral("DateSep"), QStringLiteral("-")));
  if (text) FUZZ_CHECK(ReadIniValue(file, QStringLiteral("param"), QStringLiteral("datesep")) == QStringLiteral("-"));
  FUZZ_CHECK(WriteIniValue(file, QStringLiteral("新區"), QStringLiteral("鍵"), QStringLiteral("值 1")));
  if (text) FUZZ_CHECK(ReadIniValue(file, QStringLiteral("新區"), QStringLiteral("鍵")) == QStringLiteral("值 1"));

  if (isUtf8(content)) FUZZ_CHECK(readAll(file) == before);
  return 0;
}
