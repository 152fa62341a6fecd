// The card reader simulator panel. It works on the reader folder of the program's
// application folder (TOLVA_HOME, else ./home) and port (INI PARAM/BorixPort, else COM1).
//   crwsim [--home DIR] [--port NAME] [--screenshot FILE.png]
#include "SimPanel.h"
#include "app/CodePage.h"
#include "app/Ini.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("crwsim"));
  QCommandLineParser args;
  args.addHelpOption();
  const QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("Application folder."), QStringLiteral("dir"));
  const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Reader port."), QStringLiteral("name"));
  const QCommandLineOption shotOption(QStringLiteral("screenshot"), QStringLiteral("Save a picture of the panel and quit."),
                                      QStringLiteral("file"));
  args.addOptions({homeOption, portOption, shotOption});
  args.process(app);

  QString home = args.value(homeOption);
  if (home.isEmpty()) home = qEnvironmentVariable("TOLVA_HOME");
  if (home.isEmpty()) home = QStringLiteral("home");
  home = QDir(home).absolutePath();
  const QString ini = home + QStringLiteral("/tolva.INI");
  if (const QString cp = GetINI(ini, QStringLiteral("PARAM"), QStringLiteral("CodePage")); !cp.isEmpty()) {
    CodePage::select(cp);
  }
  QString port = args.value(portOption);
  if (port.isEmpty()) port = GetINI(ini, QStringLiteral("PARAM"), QStringLiteral("BorixPort"));
  if (port.isEmpty()) port = QStringLiteral("COM1");

  SimPanel panel(home + QStringLiteral("/CardSim"), port);
  panel.resize(1100, 640);
  panel.show();
  if (args.isSet(shotOption)) {
    const QString file = args.value(shotOption);
    QTimer::singleShot(500, &panel, [&panel, file] {
      QApplication::exit(panel.grab().save(file) ? 0 : 1);
    });
  }
  return QApplication::exec();
}
