#pragma once
// Lists saved as CSV for a spreadsheet: the text of the rows and the file in the code page.
#include <QList>
#include <QSaveFile>
#include <QString>
#include <QStringList>

// The rows as CSV: a header line, then one line per row, lines ended by CR LF; a cell that
// holds a comma, a quote or a line break is quoted, its quotes doubled.
QString CsvText(const QStringList& headings, const QList<QStringList>& rows);
// Writes the text in the code page, replacing the file only once all of it is written.
bool WriteCsvFile(const QString& path, const QString& text);

// A CSV file written row by row, for lists too long to hold as one text: the same lines in
// the same code page as CsvText and WriteCsvFile. The rows go to a temporary file that takes
// the file's name only at commit(); dropped unfinished or after a failure, it leaves nothing
// under that name.
class CsvFileWriter {
public:
  explicit CsvFileWriter(const QString& path) : file_(path) {}
  // Opens the temporary file and writes the header line.
  bool open(const QStringList& headings);
  bool write(const QStringList& row);
  // Puts the file under its name; false when any step failed.
  bool commit();

private:
  bool flush();
  QSaveFile file_;
  QString pending_;  // lines not yet written
  bool ok_ = false;
};
