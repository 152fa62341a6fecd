#pragma once
// A simulated card drawn as the operator would see it: the printed face on a card outline,
// with the stripe's state and any injected fault underneath.
#include "device/SimulatorFiles.h"

#include <QPixmap>
#include <QString>

// `scale` 1.0 draws a card of 428 x 270 pixels (85.6 x 54 mm at 5 px/mm).
QPixmap CardPicture(const SimCard& card, const QString& name, double scale = 1.0);
// The size of a card picture at `scale`.
QSize CardPictureSize(double scale = 1.0);
