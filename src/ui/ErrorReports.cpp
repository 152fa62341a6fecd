#include "ui/ErrorReports.h"

void ShowErrorReportsSince(quint64 mark) {
  for (const QString& text : ReportsToShowSince(mark)) ShowErrorReport(text);
}
