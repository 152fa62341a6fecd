// Start-up to the first painting of the main window, against a bare Qt window, each a process
// of its own started anew (medians of 7 runs).
//
//   bench_startup          measures both and prints the ratio
//   bench_startup tolva    the program's start-up on TOLVA_HOME; quits when the main window paints
//   bench_startup bare     an empty Qt window; quits when it paints
#include "BenchSupport.h"

#include "core/AppFolder.h"
#include "core/Settings.h"
#include "app/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

constexpr int kRuns = 7;

// Quits the application once the watched window has painted.
class QuitOnPaint final : public QObject {
public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return QObject::eventFilter(watched, event);
  }
};

int Child(const QString& mode) {
  QuitOnPaint quit;
  if (mode == QLatin1String("bare")) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("bare"));
    w.resize(800, 600);
    w.installEventFilter(&quit);
    w.show();
    return QApplication::exec();
  }
  if (!StartProgram()) return 2;
  QWidget* main = StartedMainWindow();
  if (!main) return 2;
  main->installEventFilter(&quit);
  return QApplication::exec();
}

double TimeChild(const QString& program, const QString& mode, const QString& home) {
  std::vector<qint64> ns;
  for (int i = 0; i < kRuns; ++i) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOLVA_HOME"), home);
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, {mode});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
      std::fprintf(stderr, "%s: no painted window within 60 s\n%s", qPrintable(mode), p.readAll().constData());
      p.kill();
      p.waitForFinished();
      return -1;
    }
    ns.push_back(t.nsecsElapsed());
  }
  return MedianMs(ns);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  if (argc > 1) return Child(QString::fromLocal8Bit(argv[1]));

  QTemporaryDir home;
  const QString unprepared = PrepareApplicationFolder(home.path(), QStringLiteral("tolva"));
  if (!unprepared.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(unprepared));
    return 2;
  }
  // The program takes its name (and so its INI file) from its executable's: a copy named tolva.
  const QString program = home.filePath(QStringLiteral("bin/tolva"));
  QDir().mkpath(home.filePath(QStringLiteral("bin")));
  if (!QFile::copy(QCoreApplication::applicationFilePath(), program)) return 2;
  QFile::setPermissions(program, QFile::permissions(QCoreApplication::applicationFilePath()));
  // The first start creates the embedded database; the runs measure a start on a prepared folder.
  if (TimeChild(program, QStringLiteral("tolva"), home.path()) < 0) return 2;
  const double tolva = TimeChild(program, QStringLiteral("tolva"), home.path());
  const double bare = TimeChild(program, QStringLiteral("bare"), home.path());
  if (tolva < 0 || bare < 0) return 2;
  std::printf("start-up to the painted main window (%s): %.0f ms, bare Qt window %.0f ms, ratio %.2f (target at most 2)\n",
              qPrintable(QGuiApplication::platformName()), tolva, bare, tolva / bare);
  return tolva / bare <= 2.0 ? 0 : 1;
}
