#include "core/Clock.h"
#include "core/ClockSeam.h"

namespace {
QDateTime g_fixed;
}

QDateTime Now() {
  if (g_fixed.isValid()) return g_fixed;
  QDateTime now = QDateTime::currentDateTime();
  return now.addMSecs(-now.time().msec());
}

QDate Today() { return Now().date(); }

void SetNowForTest(const QDateTime& moment) { g_fixed = moment; }
