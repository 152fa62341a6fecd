#pragma once
// The screen shared by the program and the card reader simulator panel (two processes that
// know nothing of each other): when the simulator stands in for the reader, the panel takes a
// strip along the right edge of the available area and the main window stays left of it, so
// that neither covers the other.
#include <QRect>

// The strip of the available area the panel may fill.
QRect SimPanelArea(const QRect& available);
// The rest of the available area, where the main window goes.
QRect MainAreaBesidePanel(const QRect& available);
