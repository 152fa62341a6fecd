#include "core/ErrorReport.h"

#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <utility>

TolvaError::TolvaError(QString number, QString description)
    : std::runtime_error(description.toStdString()),
      number_(std::move(number)),
      description_(std::move(description)) {}

QString ErrorReportText(const QString& label, const QString& number, const QString& description) {
  const QString crlf = QStringLiteral("\r\n");
  return QStringLiteral("處理程序: (") + label + QStringLiteral(")") + crlf +
         QStringLiteral("執行錯誤, 代碼: ") + number + crlf + QStringLiteral("訊息: ") + crlf +
         QStringLiteral("     ") + description + crlf + crlf;
}

namespace {

// The line that opens this session's first record; written once, then cleared.
QString g_sessionLine;

quint64 g_records = 0;
// The latest reports kept for showing, the last one being number g_toShow.
quint64 g_toShow = 0;
QStringList g_recent;
constexpr qsizetype kRecentReports = 32;

void appendErrorRecord(const QString& text) {
  ++g_records;
  // Failures here are ignored: the report must still reach the operator.
  const QDateTime now = Now();
  const QString sep = TheSettings().dateSeparator;
  const QString stamp = QStringLiteral("**記錄時間 - ") + now.toString(QStringLiteral("yy")) + sep +
                        now.toString(QStringLiteral("MM")) + sep + now.toString(QStringLiteral("dd")) +
                        QStringLiteral(", ") + now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" ");
  if (TheSettings().errorLogFile.isEmpty()) return;
  QFile f(TheSettings().errorLogFile);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  QString record = stamp + QStringLiteral("\r\n") + text;
  if (!g_sessionLine.isEmpty()) record.prepend(std::exchange(g_sessionLine, QString()) + QStringLiteral("\r\n"));
  f.write(CodePage::toAnsi(record));
}

int g_holds = 0;
QStringList g_heldBoxes;

void showBox(const QString& text) {
  Dialogs().beep();
  Dialogs().messageBox(text, TheSettings().appName, MsgIcon::Exclamation);
}

}  // namespace

void BeginErrorLogSession(const QString& folder) {
  g_sessionLine = QStringLiteral("**應用程式資料夾 - ") + QDir::toNativeSeparators(folder);
}

void HoldErrorBoxes() { ++g_holds; }

void ReleaseErrorBoxes() {
  if (g_holds > 0) --g_holds;
  // A box shown here may run code that opens another transaction; it holds its own boxes.
  while (g_holds == 0 && !g_heldBoxes.isEmpty()) {
    const QString text = g_heldBoxes.takeFirst();
    try {
      showBox(text);
    } catch (...) {
      // The record is in the error log already; a box that cannot be shown is not a new error.
    }
  }
}

void CurrentErrorInfo(QString& number, QString& description) {
  number = QStringLiteral("-1");
  description = QStringLiteral("Unknown error");
  try {
    if (std::current_exception()) std::rethrow_exception(std::current_exception());
  } catch (const TolvaError& e) {
    number = e.number();
    description = e.description();
  } catch (const std::exception& e) {
    description = QString::fromLocal8Bit(e.what());
  } catch (...) {
  }
}

quint64 ErrorRecordCount() { return g_records; }

quint64 ReportsToShowCount() { return g_toShow; }

QStringList ReportsToShowSince(quint64 mark) {
  const quint64 count = mark < g_toShow ? g_toShow - mark : 0;
  return g_recent.mid(g_recent.size() - qsizetype(std::min<quint64>(count, quint64(g_recent.size()))));
}

QString LogErrorToShow(const QString& label, const QString& number, const QString& description) {
  const QString text = LogError(label, number, description);
  ++g_toShow;
  g_recent.append(text);
  if (g_recent.size() > kRecentReports) g_recent.removeFirst();
  return text;
}

QString LogErrorToShow(const QString& label) {
  QString number, description;
  CurrentErrorInfo(number, description);
  return LogErrorToShow(label, number, description);
}

QString LogError(const QString& label, const QString& number, const QString& description) {
  const QString text = ErrorReportText(label, number, description);
  appendErrorRecord(text);
  return text;
}

QString LogError(const QString& label) {
  QString number, description;
  CurrentErrorInfo(number, description);
  return LogError(label, number, description);
}

void ShowErrorReport(const QString& text) {
  if (g_holds > 0) {
    g_heldBoxes.append(text);
    return;
  }
  showBox(text);
}

void ReportError(const QString& label, const QString& number, const QString& description) {
  ShowErrorReport(LogError(label, number, description));
}

void ReportError(const QString& label) {
  QString number, description;
  CurrentErrorInfo(number, description);
  ReportError(label, number, description);
}

#if defined(__cpp_lib_source_location)
QString ErrorLabel(const std::source_location& where) {
  // The compiler's name is the whole signature ("void A::f(int)", "A::A(QWidget*)::<lambda()>"):
  // the label keeps the qualified name of the function itself.
  QString name = QString::fromLatin1(where.function_name());
  if (const qsizetype lambda = name.indexOf(QLatin1String("::<lambda")); lambda >= 0) name.truncate(lambda);
  if (const qsizetype args = name.indexOf(QLatin1Char('(')); args >= 0) name.truncate(args);
  if (const qsizetype space = name.lastIndexOf(QLatin1Char(' ')); space >= 0) name.remove(0, space + 1);
  return name;
}
#else
QString ErrorLabel(const char* function) { return QString::fromLatin1(function); }
#endif
