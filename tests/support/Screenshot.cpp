#include "support/Screenshot.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

void SaveScreenshot(QWidget* window, const QString& name) {
  const QString folder = qEnvironmentVariable("TOLVA_SHOTS");
  if (folder.isEmpty() || !window) return;
  QDir().mkpath(folder);
  window->show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
