#include "CardPicture.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

constexpr int kWidth = 428;
constexpr int kHeight = 270;

QString stripeSummary(const SimCard& card) {
  const QByteArray& track = card.tracks[0];
  if (track.isEmpty()) return QStringLiteral("磁條: 空白");
  if (track.trimmed().isEmpty()) return QStringLiteral("磁條: 已清除");
  return QStringLiteral("磁條: %1 位元組").arg(track.size());
}

void drawFace(QPainter& p, const QRect& area, const QString& face) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("WenQuanYi Micro Hei"),
                    QStringLiteral("monospace")});
  font.setPixelSize(15);
  p.setPen(QColor(20, 30, 60));
  if (face.isEmpty()) {
    p.setFont(font);
    p.setPen(QColor(120, 130, 150));
    p.drawText(area, Qt::AlignCenter, QStringLiteral("(空白卡面)"));
    return;
  }
  QStringList lines = face.split(QLatin1Char('\n'));
  if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();  // the last line's LF
  // Every printed line is shown: the text shrinks until all of them fit the print area.
  for (int px = 15; px > 6; --px) {
    font.setPixelSize(px);
    const QFontMetrics fm(font);
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, fm.horizontalAdvance(line));
    if (fm.height() * lines.size() <= area.height() && widest <= area.width()) break;
  }
  p.setFont(font);
  const int lineHeight = QFontMetrics(font).height();
  int y = area.top();
  for (const QString& line : lines) {
    p.drawText(QRect(area.left(), y, area.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
    y += lineHeight;
  }
}

}  // namespace

QPixmap CardPicture(const SimCard& card, const QString& name, double scale) {
  QPixmap pixmap(CardPictureSize(scale));
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(scale, scale);

  QPainterPath outline;
  outline.addRoundedRect(QRectF(1, 1, kWidth - 2, kHeight - 2), 16, 16);
  QLinearGradient background(0, 0, kWidth, kHeight);
  background.setColorAt(0, QColor(236, 242, 250));
  background.setColorAt(1, QColor(200, 216, 238));
  p.fillPath(outline, background);
  p.setPen(QPen(QColor(90, 110, 150), 2));
  p.drawPath(outline);

  QFont title = p.font();
  title.setPixelSize(18);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(30, 60, 130));
  p.drawText(QRect(16, 8, 200, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QDR卡"));
  QFont small = p.font();
  small.setPixelSize(11);
  small.setBold(false);
  p.setFont(small);
  p.setPen(QColor(80, 90, 110));
  p.drawText(QRect(kWidth - 216, 8, 200, 26), Qt::AlignRight | Qt::AlignVCenter, name);

  // The rewritable print area.
  const QRect area(14, 38, kWidth - 28, kHeight - 72);
  p.fillRect(area, QColor(250, 250, 246));
  drawFace(p, area.adjusted(8, 4, -8, -4), card.face);

  p.setFont(small);
  p.setPen(QColor(60, 70, 90));
  p.drawText(QRect(16, kHeight - 30, 200, 22), Qt::AlignLeft | Qt::AlignVCenter, stripeSummary(card));
  if (!card.fault.isEmpty()) {
    p.setPen(QColor(190, 20, 20));
    QFont bold = small;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(kWidth - 216, kHeight - 30, 200, 22), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("故障: ") + card.fault);
  }
  return pixmap;
}

QSize CardPictureSize(double scale) { return QSize(kWidth, kHeight) * scale; }
