// The card reader simulator panel. It works on the reader folder of the program's application
// folder and port (INI PARAM/BorixPort, else COM1); see helpText for its command line.
#include "SimPanel.h"
#include "core/AppFolder.h"
#include "core/CodePage.h"
#include "core/Ini.h"
#include "ui/QtTranslations.h"
#include "ui/ScreenSplit.h"
#include "core/ProgramArguments.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

namespace {

struct PanelOptions {
  QString home;
  QString port;
  QString screenshot;
  bool help = false;
  QString error;  // why the command line was refused
};

QString helpText() {
  return QStringLiteral(
      "用法: crwsim [--home DIR] [--port NAME] [--screenshot FILE.png]\n"
      "      crwsim --help\n"
      "\n"
      "讀卡機模擬器: 顯示模擬讀卡機的卡片匣與插槽, 可插入、取出、新增空白卡與設定故障。\n"
      "與 tolva 共用應用程式資料夾中的讀卡機資料夾 CardSim。\n"
      "\n"
      "選項:\n"
      "  --home DIR              以 DIR 為應用程式資料夾\n"
      "  --port NAME             讀卡機連接埠 (預設為設定檔的 BorixPort, 否則 COM1)\n"
      "  --screenshot FILE.png   把面板畫面存成 FILE.png 後結束\n"
      "  -h, --help              顯示本說明後結束\n"
      "\n"
      "應用程式資料夾: --home 指定的資料夾; 否則環境變數 TOLVA_HOME; 否則 ./home (程式未安裝時)\n"
      "或 tolva 的使用者資料夾 ~/.local/share/tolva (安裝後)。\n"
      "\n"
      "結束代碼: 0 成功; 1 畫面無法儲存; 2 指令錯誤。\n");
}

PanelOptions parse(const QStringList& args) {
  PanelOptions o;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (const int values = QtWindowOptionValues(arg); values >= 0) {
      i += values;
      continue;
    }
    if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
      o.help = true;
      continue;
    }
    QString* target = arg == QLatin1String("--home")   ? &o.home
                      : arg == QLatin1String("--port") ? &o.port
                      : arg == QLatin1String("--screenshot") ? &o.screenshot
                                                             : nullptr;
    if (!target) {
      o.error = QStringLiteral("無法識別的選項 '%1'").arg(arg);
      return o;
    }
    *target = args.value(++i);
    if (target->isEmpty()) {
      o.error = QStringLiteral("%1 需要參數").arg(arg);
      return o;
    }
  }
  return o;
}

// The program's application folder as the panel can know it.
QString homeFolder(const QString& named) {
  QString home = named.isEmpty() ? qEnvironmentVariable("TOLVA_HOME") : named;
  if (home.isEmpty()) {
    const QString exeDir = QCoreApplication::applicationDirPath();
    home = IsInstalledLayout(exeDir) || !IsWritableFolder(exeDir) ? UserDataFolder(QStringLiteral("tolva"))
                                                                   : QStringLiteral("home");
  }
  return QDir(home).absolutePath();
}

// In the strip at the screen's right edge that the program's main window keeps clear of, and
// no taller than the screen.
void placeBesideProgram(QWidget& panel) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = SimPanelArea(screen->availableGeometry());
  const QSize frame(16, 40);  // the window manager's borders and title bar, about
  const QSize wanted = panel.sizeHint().expandedTo(QSize(area.width(), 720)) - frame;
  panel.resize(wanted.boundedTo(area.size() - frame));
  panel.move(area.topLeft());
}

}  // namespace

int main(int argc, char** argv) {
  const PanelOptions options = parse(ArgumentList(argc, argv));
  if (!options.error.isEmpty()) {
    QTextStream(stderr) << "crwsim: " << options.error << "\n\n" << helpText();
    return 2;
  }
  if (options.help) {
    QTextStream(stdout) << helpText();
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("crwsim"));
  LoadQtTranslations(app);
  const QString home = homeFolder(options.home);
  const QString ini = home + QStringLiteral("/tolva.INI");
  if (const QString cp = ReadIniValue(ini, QStringLiteral("PARAM"), QStringLiteral("CodePage")); !cp.isEmpty()) {
    CodePage::select(cp);
  }
  QString port = options.port;
  if (port.isEmpty()) port = ReadIniValue(ini, QStringLiteral("PARAM"), QStringLiteral("BorixPort"));
  if (port.isEmpty()) port = QStringLiteral("COM1");

  SimPanel panel(home + QStringLiteral("/CardSim"), port);
  placeBesideProgram(panel);
  panel.show();
  if (!options.screenshot.isEmpty()) {
    const QString file = options.screenshot;
    QTimer::singleShot(500, &panel, [&panel, file] {
      QApplication::exit(panel.grab().save(file) ? 0 : 1);
    });
  }
  return QApplication::exec();
}
