// The program's processor time while the card wait dialog stays open for 10 s and no card
// comes, with the real dialog and the simulated reader polled as in every card operation.
//
//   bench_cardwait [SECONDS]
#include "core/Settings.h"
#include "device/SimulatorFiles.h"
#include "device/DeviceSession.h"
#include "ui/QtOperatorDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  QTemporaryDir dir;
  EditSettings().appPath = dir.path();
  EditSettings().errorLogFile = dir.filePath(QStringLiteral("bench.ERR"));
  EditSettings().readerPort = QStringLiteral("COM1");
  QDir::setCurrent(TheSettings().appPath);
  SimReader(SimReader::folderFor(TheSettings().appPath + QStringLiteral("/CardSim"), TheSettings().readerPort)).ensure();
  QtOperatorDialogs dialogs;
  SetDialogs(&dialogs);
  // The operator gives up after the given time.
  QTimer::singleShot(seconds * 1000, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (auto* button = modal->findChild<QPushButton*>(QStringLiteral("cmdCancel"))) button->click();
    }
  });
  const double cpuBefore = CpuSeconds();
  QElapsedTimer clock;
  clock.start();
  QString msg;
  const bool card = OpenReaderAndWaitForCard(msg);
  const double share = (CpuSeconds() - cpuBefore) / (clock.elapsed() / 1000.0) * 100;
  std::printf("card wait of %.1f s (%s): %.2f %% of one core (target at most 1 %%)%s\n", clock.elapsed() / 1000.0,
              qPrintable(QGuiApplication::platformName()), share, card ? " A CARD CAME" : "");
  return !card && share <= 1.0 ? 0 : 1;
}
