#pragma once
// A small printed document: a heading (customer name and title), text lines and tables whose
// columns are given in twips (1/1440 inch), laid out on pages with the table headings repeated
// on every page a table continues on.
#include <QList>
#include <QString>
#include <QStringList>

class QPainter;
class QPagedPaintDevice;

class PrintDoc {
public:
  void StartDoc(const QString& title);
  void AddText(const QString& line);
  // format: cells like "<1000|>800|^1200" (alignment left/right/centre, width in twips);
  // headings "a|b|c"; rows "x|y|z;u|v|w".
  void AddTable(const QString& format, const QString& headings, const QString& rows);
  void EndDoc() { ended_ = true; }
  bool ended() const { return ended_; }
  QString title() const { return title_; }

  // Paints every page on the device; answers the number of pages, 0 when the device could not
  // be opened or finished.
  int print(QPagedPaintDevice* device) const;
  // Writes the document as a PDF file.
  bool saveAsPdf(const QString& file) const;

private:
  struct Column {
    int twips;
    Qt::Alignment align;
  };
  struct Block {
    QString text;              // a text line when `columns` is empty
    QList<Column> columns;
    QStringList headings;
    QList<QStringList> rows;
  };
  QString title_;
  QList<Block> blocks_;
  bool ended_ = false;
};
