#include "forms/reports/uiPrintDoc.h"

#include "app/globals.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {

// Walks down the pages: a cursor that starts a new page when a line does not fit.
class PageCursor {
public:
  PageCursor(QPagedPaintDevice* device, QPainter& painter, const QString& title)
      : device_(device), painter_(painter), title_(title) {
    const QRect page = painter.viewport();
    margin_ = page.width() / 14;
    width_ = page.width() - 2 * margin_;
    bottom_ = page.height() - margin_ - lineHeight();
    startPage();
  }
  int lineHeight() const { return QFontMetrics(painter_.font(), device_).height() * 13 / 10; }
  int left() const { return margin_; }
  int width() const { return width_; }
  int y() const { return y_; }
  int pages() const { return pages_; }
  double twips() const { return device_->logicalDpiX() / 1440.0; }
  // Reserves one line; true when a new page had to be started for it.
  bool take() {
    bool broke = false;
    if (y_ + lineHeight() > bottom_) {
      device_->newPage();
      startPage();
      broke = true;
    }
    y_ += lineHeight();
    return broke;
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
    painter_.drawText(QRect(margin_, y_, width_, h), Qt::AlignHCenter, gCustName);
    y_ += h;
    painter_.drawText(QRect(margin_, y_, width_, h), Qt::AlignHCenter, title_);
    y_ += h * 3 / 2;
    painter_.setFont(body);
    const QString footer = QStringLiteral("第 %1 頁").arg(pages_);
    painter_.drawText(QRect(margin_, bottom_ + lineHeight() / 2, width_, lineHeight()), Qt::AlignHCenter, footer);
  }

  QPagedPaintDevice* device_;
  QPainter& painter_;
  QString title_;
  int margin_ = 0;
  int width_ = 0;
  int bottom_ = 0;
  int y_ = 0;
  int pages_ = 0;
};

Qt::Alignment alignmentOf(QChar c) {
  if (c == QLatin1Char('>')) return Qt::AlignRight;
  if (c == QLatin1Char('^')) return Qt::AlignHCenter;
  return Qt::AlignLeft;
}

}  // namespace

void PrintDoc::StartDoc(const QString& title) {
  title_ = title;
  blocks_.clear();
  ended_ = false;
}

void PrintDoc::AddText(const QString& line) { blocks_.append(Block{line, {}, {}, {}}); }

void PrintDoc::AddTable(const QString& format, const QString& headings, const QString& rows) {
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

int PrintDoc::print(QPagedPaintDevice* device) const {
  QPainter painter;
  // A device that cannot be opened (a PDF in a folder that cannot be written, a printer that
  // refuses the job) has no pages: nothing was printed.
  if (!painter.begin(device)) return 0;
  QFont body(QStringLiteral("WenQuanYi Micro Hei"));
  body.setPointSize(10);
  painter.setFont(body);
  PageCursor page(device, painter, title_);
  auto drawCells = [&](const Block& b, const QStringList& cells, bool bold) {
    QFont f = body;
    f.setBold(bold);
    painter.setFont(f);
    int x = page.left();
    for (int c = 0; c < b.columns.size(); ++c) {
      const int w = static_cast<int>(b.columns[c].twips * page.twips());
      painter.drawText(QRect(x, page.y() - page.lineHeight(), w - 4, page.lineHeight()),
                       b.columns[c].align | Qt::AlignVCenter, c < cells.size() ? cells[c] : QString());
      x += w;
    }
    painter.setFont(body);
  };
  for (const Block& b : blocks_) {
    if (b.columns.isEmpty()) {
      page.take();
      painter.drawText(QRect(page.left(), page.y() - page.lineHeight(), page.width(), page.lineHeight()),
                       Qt::AlignLeft | Qt::AlignVCenter, b.text);
      continue;
    }
    page.take();
    drawCells(b, b.headings, true);
    for (const QStringList& row : b.rows) {
      if (page.take()) {
        drawCells(b, b.headings, true);  // the table continues: its headings again
        page.take();
      }
      drawCells(b, row, false);
    }
  }
  const int pages = page.pages();
  return painter.end() ? pages : 0;
}

bool PrintDoc::saveAsPdf(const QString& file) const {
  QPdfWriter pdf(file);
  pdf.setResolution(300);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setTitle(title_);
  return print(&pdf) > 0;
}
