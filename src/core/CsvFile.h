#pragma once
// Lists saved as CSV for a spreadsheet: the text of the rows and the file in the code page.
#include <QList>
#include <QString>
#include <QStringList>

// The rows as CSV: a header line, then one line per row, lines ended by CR LF; a cell that
// holds a comma, a quote or a line break is quoted, its quotes doubled.
QString CsvText(const QStringList& headings, const QList<QStringList>& rows);
// Writes the text in the code page, replacing the file only once all of it is written.
bool WriteCsvFile(const QString& path, const QString& text);
