#include "windows/reports/ReportCharts.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>

QImage ChartImage(QChart* chart, const QSizeF& size) {
  QGraphicsScene scene;
  scene.addItem(chart);  // the scene owns it
  chart->resize(size);
  chart->layout()->activate();
  QImage image((size * 3).toSize(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  scene.render(&painter, QRectF(QPointF(), size * 3), QRectF(QPointF(), size));
  return image;
}
