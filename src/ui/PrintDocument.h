#pragma once
// A small printed document: a heading (customer name, title and print time), text lines,
// pictures and tables whose columns are given in twips (1/1440 inch), laid out on pages with
// the table headings repeated on every page a table continues on. A cell too long for its
// column wraps within it, and a table wider than the page is narrowed to fit it.
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QPainter;
class QPagedPaintDevice;

class PrintDocument {
public:
  // Starts an empty document; the print time it carries is the clock's time now.
  void startDocument(const QString& title);
  void setLandscape(bool on) { landscape_ = on; }
  bool landscape() const { return landscape_; }
  void addText(const QString& line);
  // format: cells like "<1000|>800|^1200" (alignment left/right/centre, width in twips);
  // headings "a|b|c"; rows "x|y|z;u|v|w".
  void addTable(const QString& format, const QString& headings, const QString& rows);
  // A picture (a chart) as wide as the text at most, in its own proportions, on one page.
  void addImage(const QImage& image);
  void endDocument() { ended_ = true; }
  bool ended() const { return ended_; }
  QString title() const { return title_; }
  // "列印時間：..." as every page's heading shows it.
  QString printTimeText() const;

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
    QString text;              // a text line when `columns` is empty and `image` null
    QList<Column> columns;
    QStringList headings;
    QList<QStringList> rows;
    QImage image;
  };
  class Painter;

  QString title_;
  QDateTime printedAt_;
  bool landscape_ = false;
  QList<Block> blocks_;
  bool ended_ = false;
};
