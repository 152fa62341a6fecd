#pragma once
// Charts on paper: a report's chart drawn at a fixed size of its own, whatever the window's, at
// three times the screen's resolution so that its lines and letters stay sharp when printed.
#include <QImage>
#include <QSizeF>

class QChart;

// Draws `chart` (taken over and deleted) into an image of `size` points.
QImage ChartImage(QChart* chart, const QSizeF& size = QSizeF(900, 420));
