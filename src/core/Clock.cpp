#include "core/Clock.h"
#include "core/ClockSeam.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace {
QDateTime g_fixed;
bool g_skipDelays = false;
}

QDateTime Now() {
  if (g_fixed.isValid()) return g_fixed;
  QDateTime now = QDateTime::currentDateTime();
  return now.addMSecs(-now.time().msec());
}

QDate Today() { return Now().date(); }

void SetNowForTest(const QDateTime& moment) { g_fixed = moment; }

void Delay(double seconds) {
  if (g_skipDelays) {
    QCoreApplication::processEvents();
    return;
  }
  // Sleeps in short steps and lets window events run, so the program stays responsive.
  QDeadlineTimer deadline(static_cast<qint64>(seconds * 1000));
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(10, std::max<qint64>(1, deadline.remainingTime()))));
  }
}

void SkipDelaysForTest(bool skip) { g_skipDelays = skip; }
