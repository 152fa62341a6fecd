#pragma once
// The standard run-time error report: every procedure traps its errors on entry and hands
// them here with its own label, then leaves.
#include <QString>
#include <QStringList>
#include <exception>
#include <source_location>
#include <stdexcept>

// An error raised inside the program (a failed statement, a file that cannot be written).
// `number` is what the report shows after "代碼: ".
class TolvaError : public std::runtime_error {
public:
  TolvaError(QString number, QString description);
  const QString& number() const { return number_; }
  const QString& description() const { return description_; }

private:
  QString number_;
  QString description_;
};

// The label of a report: the function where it is called ("AddValueWindow::addValue"), so
// that no label has to be typed, nor kept up to date when code moves.
#if defined(__cpp_lib_source_location)
QString ErrorLabel(const std::source_location& where = std::source_location::current());
#else
// Compilers without std::source_location (clang 14 with this C++ library) name the function alone.
QString ErrorLabel(const char* function = __builtin_FUNCTION());
#endif

// The report's text: label, error number and description, as shown and logged.
QString ErrorReportText(const QString& label, const QString& number, const QString& description);

// Beeps, appends a stamped record to the error log and shows the text in a message box. Only
// windows and start-up show boxes: the layers below them log, and the window shows.
void ReportError(const QString& label, const QString& number, const QString& description);
// The same, for the exception being handled (call it inside a catch block).
void ReportError(const QString& label);
// The record alone, written to the error log without sound or window. Answers the report's text.
QString LogError(const QString& label, const QString& number, const QString& description);
QString LogError(const QString& label);
// How many error records this process has reported so far: a step that failed without adding
// one refused what it was given, it did not break.
quint64 ErrorRecordCount();
// The record, written to the error log and kept for the window whose call made it, which shows
// it (the layers below the windows report this way what the operator is to see).
QString LogErrorToShow(const QString& label);
QString LogErrorToShow(const QString& label, const QString& number, const QString& description);
// How many reports have been kept for showing so far, and the texts of those kept since the
// count was `mark` (the latest few dozen at most).
quint64 ReportsToShowCount();
QStringList ReportsToShowSince(quint64 mark);
// Shows a report already recorded: a beep and a message box.
void ShowErrorReport(const QString& text);

// Starts a session of the error log: its first record (if any) opens with a line naming the
// application folder, so that a log read later says which folder the session used.
void BeginErrorLogSession(const QString& folder);

// While a database transaction is open no box may wait for the operator (on SQLite every other
// workstation would wait with it): ReportError then writes its record at once and keeps the box
// until the transaction ends. The connection calls these; holds nest, one per open transaction.
void HoldErrorBoxes();
// Ends one hold; when none is left, shows the kept boxes in order. Never throws.
void ReleaseErrorBoxes();

// Number and description of the exception being handled.
void CurrentErrorInfo(QString& number, QString& description);
