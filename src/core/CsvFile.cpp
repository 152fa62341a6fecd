#include "core/CsvFile.h"

#include "core/CodePage.h"

#include <QSaveFile>
#include <algorithm>

namespace {

QString csvCell(const QString& cell) {
  static const QString special = QStringLiteral(",\"\r\n");
  if (std::none_of(cell.begin(), cell.end(), [](QChar c) { return special.contains(c); })) return cell;
  QString quoted = cell;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList& cells) {
  QStringList out;
  for (const QString& c : cells) out << csvCell(c);
  return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

}  // namespace

QString CsvText(const QStringList& headings, const QList<QStringList>& rows) {
  QString out = csvLine(headings);
  for (const QStringList& r : rows) out += csvLine(r);
  return out;
}

bool WriteCsvFile(const QString& path, const QString& text) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = CodePage::toAnsi(text);
  if (f.write(bytes) != bytes.size()) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}

bool CsvFileWriter::open(const QStringList& headings) {
  ok_ = file_.open(QIODevice::WriteOnly);
  return write(headings);
}

bool CsvFileWriter::write(const QStringList& row) {
  if (!ok_) return false;
  pending_ += csvLine(row);
  // Encoded a block at a time: a call per line would cost more than the line.
  constexpr qsizetype kBlock = 64 * 1024;
  return pending_.size() < kBlock || flush();
}

bool CsvFileWriter::flush() {
  const QByteArray bytes = CodePage::toAnsi(pending_);
  pending_.clear();
  ok_ = ok_ && file_.write(bytes) == bytes.size();
  return ok_;
}

bool CsvFileWriter::commit() {
  if (!ok_ || !flush() || !file_.commit()) {
    file_.cancelWriting();
    return false;
  }
  return true;
}
