#pragma once
// Saves a picture of a window when TOLVA_SHOTS names a folder, so that a person can look at
// what a test built (run the tests under Xvfb with QT_QPA_PLATFORM=xcb for real windows).
#include <QString>

class QWidget;

void SaveScreenshot(QWidget* window, const QString& name);
