// The card message file reader on any file: it yields lines without line breaks, joined by
// "|"; lines saved the way the message window saves them read back as they were.
#include "FuzzSupport.h"

#include "core/CodePage.h"
#include "core/SettingsFile.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray content = fuzz::bytes(data, size);
  const QString file = fuzz::scratchFile(QStringLiteral("CardMsg.txt"));
  FUZZ_CHECK(fuzz::writeFile(file, content));

  const std::optional<QStringList> read = ReadAnsiLines(file);
  FUZZ_CHECK(read.has_value());
  const QStringList& lines = *read;
  QString text;
  FUZZ_CHECK(ReadMessageFile(file, text));
  FUZZ_CHECK(text == lines.join(QLatin1Char('|')));
  for (const QString& line : lines) FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
  if (content.isEmpty()) FUZZ_CHECK(lines.isEmpty());

  // Saved as the window saves: each line followed by CR LF, in the code page.
  const QString saved = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
  const QByteArray bytes = CodePage::toAnsi(saved);
  if (lines.isEmpty() || CodePage::fromAnsi(bytes) != saved) return 0;  // the window refuses such lines
  FUZZ_CHECK(fuzz::writeFile(file, bytes));
  FUZZ_CHECK(ReadAnsiLines(file) == std::optional<QStringList>(lines));
  return 0;
}
