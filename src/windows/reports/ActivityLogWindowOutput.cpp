// The log viewer's printed list and CSV file: every row of the listed conditions, read from
// the database a page at a time rather than from the rows the grid has loaded.
#include "windows/reports/ActivityLogWindow.h"

#include "core/CsvFile.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "ui/LongListGrid.h"
#include "ui/ErrorReports.h"
#include "ui/PrintPreviewWindow.h"
#include "ui/StatusPanel.h"

#include <QFileInfo>

namespace {

const QString kCsvFolderKey = QStringLiteral("CsvDir");

// "|" and ";" separate the cells and rows of a printed table.
QString printCell(QString text) {
  return text.replace(QLatin1Char('|'), QChar(0xFF5C)).replace(QLatin1Char(';'), QChar(0xFF1B));
}

QString printTable(const QList<QStringList>& rows) {
  QStringList out;
  for (const QStringList& r : rows) {
    // The action by its description when it has one; program and code stay on screen.
    const QString dscp = r.value(2);
    QStringList cells{printCell(r.value(0)), printCell(dscp.isEmpty() ? r.value(1) : dscp)};
    for (int c = 3; c <= 6; ++c) cells << printCell(r.value(c));
    out << cells.join(QLatin1Char('|'));
  }
  return out.join(QLatin1Char(';'));
}

// The hourglass while a long read runs.
class BusyCursor {
public:
  BusyCursor() { Dialogs().setBusyCursor(true); }
  ~BusyCursor() { Dialogs().setBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

bool ActivityLogWindow::readPrintRows(QList<QStringList>& rows) {
  const BusyCursor busy;
  // One row beyond the most that print tells that the list is too long.
  const Done read = ForEachActivityLogRow(OperationContext::Current(), *listed_, [&rows](const QStringList& r) {
    rows << r;
    return rows.size() <= kPrintRows;
  });
  if (!read) {
    ReportError(ErrorLabel(), read.failure());
    return false;
  }
  if (rows.size() <= kPrintRows) return true;
  Dialogs().messageBox(QStringLiteral("符合條件的記錄超過 %1 筆，無法列印。\n請縮小日期範圍後再列印，或按「存檔」存成CSV檔。")
                           .arg(kPrintRows),
                       TheSettings().appName, MsgIcon::Exclamation);
  return false;
}

void ActivityLogWindow::printList() {
  try {
    if (fgLog_->rows() <= 1 || !listed_) {
      ShowStatusMessage(elaMsg_, QStringLiteral("無資料可列印"));
      return;
    }
    QList<QStringList> rows;
    if (!readPrintRows(rows)) return;
    PrintPreviewWindow preview(this);
    preview.startDocument(QStringLiteral("作業記錄"));
    // The message column is long: across the page, and its cells wrap.
    preview.doc().setLandscape(true);
    for (const QString& line : listConditions_) preview.addText(line);
    preview.addTable(QStringLiteral("<2000|<1500|<7400|<1400|<1300|<1300"),
                     QStringLiteral("記錄時間|作業|記錄內容|備註|使用者|工作站"), printTable(rows));
    preview.addText(QString());
    preview.addText(QStringLiteral("筆數：") + QString::number(rows.size()));
    preview.endDocument();
    preview.showDocument();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool ActivityLogWindow::writeCsv(const QString& file) {
  const BusyCursor busy;
  CsvFileWriter csv(file);
  if (!csv.open(kApLogHeadings.split(QLatin1Char('|')))) return false;
  bool written = true;
  const Done read = ForEachActivityLogRow(OperationContext::Current(), *listed_,
                                          [&](const QStringList& r) { return written = csv.write(r); });
  // A failed read drops the unfinished file: nothing half written takes the chosen name.
  if (!read) {
    ReportError(ErrorLabel(), read.failure());
    return false;
  }
  return written && csv.commit();
}

void ActivityLogWindow::saveAsCsv() {
  try {
    if (fgLog_->rows() <= 1 || !listed_) {
      ShowStatusMessage(elaMsg_, QStringLiteral("無資料可存檔"));
      return;
    }
    const QString folder = GetSetting(objectName(), kCsvFolderKey, TheSettings().appPath);
    const QString file = Dialogs().saveFileName(QStringLiteral("存成CSV檔"), QStringLiteral("CSV (*.csv)"),
                                                WithTrailingSeparator(folder) + QStringLiteral("作業記錄.csv"));
    if (file.isEmpty()) return;
    if (!writeCsv(file)) {
      ShowStatusMessage(elaMsg_, QStringLiteral("存檔失敗"));
      return;
    }
    SaveSetting(objectName(), kCsvFolderKey, QFileInfo(file).absolutePath());
    ShowStatusMessage(elaMsg_, QStringLiteral("存檔完成"), 0);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}
