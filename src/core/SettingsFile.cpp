#include "core/SettingsFile.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/Ini.h"
#include "core/Paths.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>

namespace {

QString iniValue(const char* key) { return ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QString::fromLatin1(key)); }

void readIniSettings() {
  if (const QString cp = iniValue("CodePage"); !cp.isEmpty()) CodePage::select(cp);
  EditSettings().customerName = iniValue("CustName");
  EditSettings().calendar = iniValue("Calendar");
  if (TheSettings().calendar.isEmpty()) EditSettings().calendar = QStringLiteral("YYYY/MM/DD");
  EditSettings().dateSeparator = iniValue("DateSep");
  if (TheSettings().dateSeparator.isEmpty()) EditSettings().dateSeparator = QStringLiteral("/");
  EditSettings().logoFile = iniValue("LogoFile");
  EditSettings().operatorId = iniValue("DefUserID");
  if (TheSettings().operatorId.isEmpty()) EditSettings().operatorId = LoginName().left(20);
  EditSettings().corporationName = iniValue("CorpName");
  EditSettings().amountFormat = iniValue("AmtFmt");
  EditSettings().captionFile = iniValue("CaptionFile");
  EditSettings().readerLibrary = iniValue("CrwLibrary");
  EditSettings().dailyBackup = iniValue("DailyBackup").trimmed() != QLatin1String("0");
  EditSettings().workstation = WorkstationName();
  EditSettings().dateQuote = QStringLiteral("'");
}

}  // namespace

void LoadSettings(const QString& iniName, const QString& folder) {
  const QString app = TheSettings().appName.isEmpty() ? QStringLiteral("tolva") : TheSettings().appName;
  if (!iniName.isEmpty() && !folder.isEmpty()) {
    EditSettings().iniFile = folder + QStringLiteral("/") + iniName;
    EditSettings().logFile = folder + QStringLiteral("/") + app + QStringLiteral(".LOG");
    EditSettings().errorLogFile = folder + QStringLiteral("/") + app + QStringLiteral(".ERR");
  } else {
    const QString base = folder.isEmpty() ? TheSettings().appPath : folder;
    const QString name = iniName.isEmpty() ? QStringLiteral("IDPARAM.INI") : iniName;
    EditSettings().iniFile = QDir::cleanPath(base + QStringLiteral("/../DAT/") + name);
    EditSettings().logFile = QDir::cleanPath(base + QStringLiteral("/../LOG/") + app + QStringLiteral(".LOG"));
    EditSettings().errorLogFile = QDir::cleanPath(base + QStringLiteral("/../LOG/") + app + QStringLiteral(".ERR"));
  }
  if (!TheSettings().appPath.isEmpty()) QDir::setCurrent(TheSettings().appPath);
  TrimLogFile(TheSettings().logFile);
  TrimLogFile(TheSettings().errorLogFile);
  readIniSettings();
}

std::optional<QStringList> ReadAnsiLines(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  QString text = CodePage::fromAnsi(f.readAll());
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = text.split(QLatin1Char('\n'));
  // A final line break ends the last line; it does not start another.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

bool ReadMessageFile(const QString& file, QString& text) {
  const std::optional<QStringList> lines = ReadAnsiLines(file);
  if (!lines) {
    LogErrorToShow(ErrorLabel(), QStringLiteral("53"), QStringLiteral("File not found: ") + file);
    return false;
  }
  text = lines->join(QLatin1Char('|'));
  return true;
}
