#include "ui/PrintDocument.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/Settings.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

namespace {

// Walks down the pages: a cursor that starts a new page when a band does not fit.
class PageCursor {
public:
  PageCursor(QPagedPaintDevice* device, QPainter& painter, const QString& title, const QString& printTime)
      : device_(device), painter_(painter), title_(title), printTime_(printTime) {
    const QRect page = painter.viewport();
    margin_ = std::min(page.width(), page.height()) / 14;
    width_ = page.width() - 2 * margin_;
    bottom_ = page.height() - margin_ - lineHeight();
    startPage();
  }
  int lineHeight() const { return QFontMetrics(painter_.font(), device_).height() * 13 / 10; }
  int left() const { return margin_; }
  int width() const { return width_; }
  int y() const { return y_; }
  int pages() const { return pages_; }
  // The height a page has for bands, below its heading.
  int bandRoom() const { return bottom_ - top_; }
  double twips() const { return device_->logicalDpiX() / 1440.0; }
  // Whether a band of `height` fits on this page (an empty page takes any band).
  bool fits(int height) const { return y_ + height <= bottom_ || y_ == top_; }
  void breakPage() {
    device_->newPage();
    startPage();
  }
  // Reserves a band of `height` (one line by default), on a new page when it does not fit on
  // this one; y() is then the band's bottom.
  void take(int height = 0) {
    if (height <= 0) height = lineHeight();
    if (!fits(height)) breakPage();
    y_ += height;
  }

private:
  void startPage() {
    ++pages_;
    y_ = margin_;
    const QFont body = painter_.font();
    QFont big = body;
    big.setPointSizeF(body.pointSizeF() * 1.5);
    big.setBold(true);
    painter_.setFont(big);
    const int h = QFontMetrics(big, device_).height();
    painter_.drawText(QRect(margin_, y_, width_, h), Qt::AlignHCenter, TheSettings().customerName);
    y_ += h;
    painter_.drawText(QRect(margin_, y_, width_, h), Qt::AlignHCenter, title_);
    y_ += h;
    painter_.setFont(body);
    painter_.drawText(QRect(margin_, y_, width_, lineHeight()), Qt::AlignRight | Qt::AlignVCenter, printTime_);
    y_ += lineHeight() * 3 / 2;
    top_ = y_;
    const QString footer = QStringLiteral("第 %1 頁").arg(pages_);
    painter_.drawText(QRect(margin_, bottom_ + lineHeight() / 2, width_, lineHeight()), Qt::AlignHCenter, footer);
  }

  QPagedPaintDevice* device_;
  QPainter& painter_;
  QString title_;
  QString printTime_;
  int margin_ = 0;
  int width_ = 0;
  int bottom_ = 0;
  int top_ = 0;
  int y_ = 0;
  int pages_ = 0;
};

Qt::Alignment alignmentOf(QChar c) {
  if (c == QLatin1Char('>')) return Qt::AlignRight;
  if (c == QLatin1Char('^')) return Qt::AlignHCenter;
  return Qt::AlignLeft;
}

// Cells break between words, and inside a word (a long number, a path) that alone is wider
// than its column.
QTextOption cellOption(Qt::Alignment align) {
  QTextOption option(align | Qt::AlignTop);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  return option;
}

int wrappedLines(const QString& text, const QFont& font, QPaintDevice* device, qreal width) {
  QTextLayout layout(text, font, device);
  layout.setTextOption(cellOption(Qt::AlignLeft));
  layout.beginLayout();
  int lines = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    ++lines;
  }
  layout.endLayout();
  return std::max(lines, 1);
}

}  // namespace

// Lays the tables out on a page cursor: column widths in device units and rows as tall as
// their longest cell.
class PrintDocument::Painter {
public:
  Painter(QPainter& painter, PageCursor& page, QPaintDevice* device) : painter_(painter), page_(page), device_(device) {}

  void table(const Block& b) {
    widths_.clear();
    double total = 0;
    for (const Column& c : b.columns) total += c.twips * page_.twips();
    // Narrower than asked rather than off the paper's edge.
    const double scale = total > page_.width() ? page_.width() / total : 1.0;
    for (const Column& c : b.columns) widths_ << static_cast<int>(c.twips * page_.twips() * scale);
    const int headingHeight = rowHeight(b.headings, true);
    // The headings start the table and every page it continues on, never alone at a page's foot.
    auto headings = [&](int next) {
      if (!page_.fits(headingHeight + next)) page_.breakPage();
      page_.take(headingHeight);
      cells(b, b.headings, headingHeight, true);
    };
    headings(b.rows.isEmpty() ? 0 : rowHeight(b.rows.first(), false));
    for (const QStringList& row : b.rows) {
      const int h = rowHeight(row, false);
      if (!page_.fits(h)) headings(h);
      page_.take(h);
      cells(b, row, h, false);
    }
  }

private:
  QFont font(bool bold) const {
    QFont f = painter_.font();
    f.setBold(bold);
    return f;
  }
  int padding() const { return QFontMetrics(painter_.font(), device_).height() * 3 / 10; }
  int rowHeight(const QStringList& texts, bool bold) const {
    const QFont f = font(bold);
    int lines = 1;
    for (int c = 0; c < widths_.size() && c < texts.size(); ++c) {
      lines = std::max(lines, wrappedLines(texts[c], f, device_, widths_[c] - gap()));
    }
    return lines * QFontMetrics(f, device_).lineSpacing() + padding();
  }
  int gap() const { return std::max(4, device_->logicalDpiX() / 30); }
  // Draws a row in the band that ends at the cursor.
  void cells(const Block& b, const QStringList& texts, int height, bool bold) {
    const int bottom = page_.y();
    const QFont saved = painter_.font();
    painter_.setFont(font(bold));
    int x = page_.left();
    for (int c = 0; c < widths_.size(); ++c) {
      const QRectF box(x, bottom - height + padding() / 2, widths_[c] - gap(), height);
      painter_.drawText(box, c < texts.size() ? texts[c] : QString(), cellOption(b.columns[c].align));
      x += widths_[c];
    }
    painter_.setFont(saved);
  }

  QPainter& painter_;
  PageCursor& page_;
  QPaintDevice* device_;
  QList<int> widths_;
};

void PrintDocument::startDocument(const QString& title) {
  title_ = title;
  printedAt_ = Now();
  landscape_ = false;
  blocks_.clear();
  ended_ = false;
}

QString PrintDocument::printTimeText() const {
  return QStringLiteral("列印時間：") + DateForDisplay(printedAt_.date()) + QLatin1Char(' ') +
         printedAt_.time().toString(QStringLiteral("HH:mm"));
}

void PrintDocument::addText(const QString& line) { blocks_.append(Block{line, {}, {}, {}, {}}); }

void PrintDocument::addTable(const QString& format, const QString& headings, const QString& rows) {
  Block b;
  for (const QString& cell : format.split(QLatin1Char('|'))) {
    const QString c = cell.trimmed();
    const bool hasAlign = !c.isEmpty() && QStringLiteral("<>^").contains(c[0]);
    b.columns.append({(hasAlign ? c.mid(1) : c).toInt(), hasAlign ? alignmentOf(c[0]) : Qt::AlignLeft});
  }
  b.headings = headings.split(QLatin1Char('|'));
  for (const QString& row : rows.split(QLatin1Char(';'), Qt::SkipEmptyParts)) b.rows.append(row.split(QLatin1Char('|')));
  blocks_.append(b);
}

void PrintDocument::addImage(const QImage& image) {
  if (!image.isNull()) blocks_.append(Block{{}, {}, {}, {}, image});
}

int PrintDocument::print(QPagedPaintDevice* device) const {
  QPainter painter;
  // A device that cannot be opened (a PDF in a folder that cannot be written, a printer that
  // refuses the job) has no pages: nothing was printed.
  if (!painter.begin(device)) return 0;
  QFont body(QStringLiteral("WenQuanYi Micro Hei"));
  body.setPointSize(10);
  painter.setFont(body);
  PageCursor page(device, painter, title_, printTimeText());
  Painter tables(painter, page, device);
  for (const Block& b : blocks_) {
    if (!b.image.isNull()) {
      QSizeF size = QSizeF(b.image.size()).scaled(QSizeF(page.width(), page.bandRoom()), Qt::KeepAspectRatio);
      page.take(static_cast<int>(size.height()));
      painter.drawImage(QRectF(QPointF(page.left(), page.y() - size.height()), size), b.image);
      continue;
    }
    if (b.columns.isEmpty()) {
      page.take();
      painter.drawText(QRect(page.left(), page.y() - page.lineHeight(), page.width(), page.lineHeight()),
                       Qt::AlignLeft | Qt::AlignVCenter, b.text);
      continue;
    }
    tables.table(b);
  }
  const int pages = page.pages();
  return painter.end() ? pages : 0;
}

bool PrintDocument::saveAsPdf(const QString& file) const {
  QPdfWriter pdf(file);
  pdf.setResolution(300);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageOrientation(landscape_ ? QPageLayout::Landscape : QPageLayout::Portrait);
  pdf.setTitle(title_);
  return print(&pdf) > 0;
}
