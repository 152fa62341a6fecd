#include "support/PrintCapture.h"

#include "ui/PrintPreviewWindow.h"

#include <QProcess>
#include <QTimer>

QString PrintedText(QWidget* owner, const std::function<void()>& print, const QString& pdfFile) {
  bool saved = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, owner, [&] {
    auto* preview = owner->findChild<PrintPreviewWindow*>();
    if (!preview || !preview->isVisible()) return;
    poll.stop();
    saved = preview->doc().saveAsPdf(pdfFile);
    preview->accept();
  });
  poll.start(20);
  print();
  if (!saved) return {};
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfFile, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}
