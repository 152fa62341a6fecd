#include "core/SettingsFile.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/Ini.h"
#include "core/Paths.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>

namespace {

QString iniValue(const char* key) { return GetINI(gIniFile, QStringLiteral("PARAM"), QString::fromLatin1(key)); }

void readIniSettings() {
  if (const QString cp = iniValue("CodePage"); !cp.isEmpty()) CodePage::select(cp);
  gCustName = iniValue("CustName");
  gCalendar = iniValue("Calendar");
  if (gCalendar.isEmpty()) gCalendar = QStringLiteral("YYYY/MM/DD");
  gDateSep = iniValue("DateSep");
  if (gDateSep.isEmpty()) gDateSep = QStringLiteral("/");
  gLogoFile = iniValue("LogoFile");
  gUserID = iniValue("DefUserID");
  if (gUserID.isEmpty()) gUserID = GetLoginName().left(20);
  gCorpName = iniValue("CorpName");
  gAmtFmt = iniValue("AmtFmt");
  gCaptionFile = iniValue("CaptionFile");
  gCrwLibrary = iniValue("CrwLibrary");
  gWorkstation = GetWSName();
  gDateQuote = QStringLiteral("'");
}

}  // namespace

void LoadSettings(const QString& iniName, const QString& folder) {
  try {
    const QString app = gAppName.isEmpty() ? QStringLiteral("tolva") : gAppName;
    if (!iniName.isEmpty() && !folder.isEmpty()) {
      gIniFile = folder + QStringLiteral("/") + iniName;
      gLogFile = folder + QStringLiteral("/") + app + QStringLiteral(".LOG");
      gErrFile = folder + QStringLiteral("/") + app + QStringLiteral(".ERR");
    } else {
      const QString base = folder.isEmpty() ? gAppPath : folder;
      const QString name = iniName.isEmpty() ? QStringLiteral("IDPARAM.INI") : iniName;
      gIniFile = QDir::cleanPath(base + QStringLiteral("/../DAT/") + name);
      gLogFile = QDir::cleanPath(base + QStringLiteral("/../LOG/") + app + QStringLiteral(".LOG"));
      gErrFile = QDir::cleanPath(base + QStringLiteral("/../LOG/") + app + QStringLiteral(".ERR"));
    }
    if (!gAppPath.isEmpty()) QDir::setCurrent(gAppPath);
    TrimLogFile(gLogFile);
    TrimLogFile(gErrFile);
    readIniSettings();
  } catch (...) {
    ReportError(QStringLiteral("InitGlobal"));
  }
}

QStringList ReadAnsiLines(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) {
    throw TolvaError(QStringLiteral("53"), QStringLiteral("File not found: ") + file);
  }
  QString text = CodePage::fromAnsi(f.readAll());
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = text.split(QLatin1Char('\n'));
  // A final line break ends the last line; it does not start another.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

bool LoadMsg(const QString& file, QString& text) {
  try {
    text = ReadAnsiLines(file).join(QLatin1Char('|'));
    return true;
  } catch (...) {
    ReportError(QStringLiteral("bmMain_LoadMsg"));
    return false;
  }
}
