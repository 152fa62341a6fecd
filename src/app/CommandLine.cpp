#include "app/CommandLine.h"
#include "core/ProgramArguments.h"

#include "core/AppFolder.h"
#include "app/Startup.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/SettingsFile.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "operations/ExchangeJobs.h"
#include "operations/ReportJobs.h"
#include "app/ConsoleDialogs.h"
#include "app/FolderJobs.h"
#include "app/BackupJobs.h"
#include "db/SchemaSetup.h"
#include "app/CardSettings.h"
#include "ui/ErrorReports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// An option, a form that needs nothing, one that works on the application folder's files, or
// a job on the database.
enum class Runs { Option, Alone, InFolder, OnDatabase };

struct Form {
  QString name;
  QString alias;
  QString usage;  // the arguments, as the help shows them
  int argCount;
  Runs runs;
  QString help;
  CommandJob job;
  int maxArgs = -1;  // more arguments it may take (-1: exactly argCount)
};

QString appName() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

// Every form the program takes, in the order the help lists them.
const QList<Form>& forms() {
  static const QList<Form> table = {
      {QStringLiteral("--import"), {}, QStringLiteral("DIR"), 1, Runs::OnDatabase,
       QStringLiteral("轉入 DIR 中的門市交易檔; 有檔案轉入失敗時結束代碼為 1"),
       [](const QStringList& a, QTextStream& out) { return RunImportJob(a.value(0), out); }},
      {QStringLiteral("--export-blacklist"), {}, QStringLiteral("DIR"), 1, Runs::OnDatabase,
       QStringLiteral("把黑名單檔寫到 DIR"),
       [](const QStringList& a, QTextStream& out) { return RunExportBlacklistJob(a.value(0), out); }},
      {QStringLiteral("--report"), {}, kReportUsage, 2, Runs::OnDatabase,
       QStringLiteral("報表寫入 FILE.csv: reconcile 對帳 (有不符時結束代碼為 1), rollforward 期間 FROM-TO 的餘額變動表 "
                      "(差額不為 0 時結束代碼為 1), dormancy 閒置卡片, expiry 到期餘額, redemption 各發卡月份的兌用比率"),
       [](const QStringList& a, QTextStream&) { return WithErrorReports([&] { return ReportJob(a); }); }, 4},
      {QStringLiteral("--backup"), {}, QStringLiteral("FILE"), 1, Runs::OnDatabase,
       QStringLiteral("把內嵌資料庫備份到 FILE (程式使用中也可), 並核對備份檔"),
       [](const QStringList& a, QTextStream& out) { return BackupJob(a.value(0), out); }},
      {QStringLiteral("--restore"), {}, QStringLiteral("FILE"), 1, Runs::InFolder,
       QStringLiteral("以備份檔 FILE 取代內嵌資料庫 (程式須先結束; 原檔保留在旁)"),
       [](const QStringList& a, QTextStream& out) { return RestoreJob(appName(), a.value(0), out); }},
      {QStringLiteral("--copy-database"), {}, QStringLiteral("CONNECTION"), 1, Runs::OnDatabase,
       QStringLiteral("把資料庫全部複製到空的 PostgreSQL 資料庫 (連線字串 CONNECTION), 並核對筆數與金額"),
       [](const QStringList& a, QTextStream& out) { return CopyDatabaseJob(a.value(0), out); }},
      {QStringLiteral("--prepare"), {}, {}, 0, Runs::InFolder,
       QStringLiteral("建立應用程式資料夾的設定檔與訊息資料庫 (已有的檔案不變) 後結束"),
       [](const QStringList&, QTextStream& out) { return PrepareJob(appName(), out); }},
      {QStringLiteral("--home"), {}, QStringLiteral("DIR"), 1, Runs::Option,
       QStringLiteral("以 DIR 為應用程式資料夾 (設定檔、記錄檔、內嵌資料庫)"), {}},
      {QStringLiteral("--help"), QStringLiteral("-h"), {}, 0, Runs::Alone, QStringLiteral("顯示本說明後結束"),
       [](const QStringList&, QTextStream& out) {
         out << HelpText(appName());
         return 0;
       }},
      {QStringLiteral("--version"), {}, {}, 0, Runs::InFolder,
       QStringLiteral("顯示版本、應用程式資料夾與讀卡機驅動程式後結束"),
       [](const QStringList&, QTextStream& out) { return VersionJob(appName(), out); }},
  };
  return table;
}

const Form* findForm(const QString& name) {
  for (const Form& f : forms()) {
    if (f.name == name || (!f.alias.isEmpty() && f.alias == name)) return &f;
  }
  return nullptr;
}

}  // namespace

namespace {

CommandLine refuse(CommandLine line, const QString& why) {
  line.kind = CommandLine::Kind::Refused;
  line.error = why;
  return line;
}

QString formUsage(const Form& f) { return f.usage.isEmpty() ? f.name : f.name + QLatin1Char(' ') + f.usage; }

// The start-up steps of the windowed program, without the window and the single-instance
// lock: a nightly job may run while an operator works.
bool startUp() {
  EditSettings().appName = appName();
  EditSettings().appPath = EnterApplicationFolder(TheSettings().appName);
  QDir::setCurrent(TheSettings().appPath);
  LoadSettings(TheSettings().appName + QStringLiteral(".INI"), TheSettings().appPath);
  QString report;
  BeginErrorLogSession(TheSettings().appPath);
  if (!OpenMainDatabaseOrSay() || !gCnn().isOpen()) return false;
  if (!CreateSchemaIfNew(report) || !UpgradeSchemaIfOlder(report)) {
    ShowErrorReport(report);
    return false;
  }
  LoadCardSettings();
  return true;
}

int runOnDatabase(const Form& form, const QStringList& args, QTextStream& out) {
  static ConsoleDialogs console;
  SetDialogs(&console);
  int rc = 1;
  try {
    if (startUp()) rc = form.job(args, out);
    else out << QStringLiteral("無法開啟資料庫") << Qt::endl;
  } catch (...) {
    ReportError(ErrorLabel());
  }
  gCnn().close();
  return rc;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine line;
  const Form* command = nullptr;
  bool positional = false;  // after "--" every argument is a value, even one starting with "-"
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    QString arg = arguments[i];
    if (positional || !arg.startsWith(QLatin1Char('-'))) {
      if (!command) return refuse(line, QStringLiteral("多餘的參數 '%1'").arg(arg));
      line.args << arg;
      continue;
    }
    if (arg == QLatin1String("--")) {
      positional = true;
      continue;
    }
    if (!command && QtWindowOptionValues(arg) >= 0) {
      i += QtWindowOptionValues(arg);
      continue;
    }
    const qsizetype eq = arg.startsWith(QLatin1String("--")) ? arg.indexOf(QLatin1Char('=')) : -1;
    const Form* form = findForm(eq > 0 ? arg.left(eq) : arg);
    if (!form || (eq > 0 && form->runs != Runs::Option)) {
      return refuse(line, QStringLiteral("無法識別的選項 '%1'").arg(arg));
    }
    if (form->runs == Runs::Option) {
      line.home = eq > 0 ? arg.mid(eq + 1) : arguments.value(++i);
      if (line.home.isEmpty()) return refuse(line, QStringLiteral("%1 需要參數 %2").arg(form->name, form->usage));
      continue;
    }
    if (command) return refuse(line, QStringLiteral("只能有一個指令: %1, %2").arg(command->name, form->name));
    command = form;
  }
  if (!command) return line;
  line.name = command->name;
  const int most = command->maxArgs < 0 ? command->argCount : command->maxArgs;
  if (line.args.size() < command->argCount || line.args.size() > most || line.args.contains(QString())) {
    return refuse(line, command->argCount == 0 ? QStringLiteral("%1 不接受參數").arg(command->name)
                                               : QStringLiteral("%1 需要參數 %2").arg(command->name, command->usage));
  }
  line.kind = CommandLine::Kind::Job;
  return line;
}

QString HelpText(const QString& program) {
  QString text;
  QTextStream out(&text);
  // The continuation lines line up under the program name; "用法: " takes six columns.
  const QString indent(6, QLatin1Char(' '));
  out << QStringLiteral("用法: ") << program << QStringLiteral(" [--home DIR]") << Qt::endl;
  for (const Form& f : forms()) {
    if (f.runs == Runs::Option) continue;
    const QString home = f.runs == Runs::Alone ? QString() : QStringLiteral("[--home DIR] ");
    out << indent << program << ' ' << home << formUsage(f) << Qt::endl;
  }
  out << Qt::endl
      << QStringLiteral("QDR卡管理作業。不帶指令時開啟主視窗; 帶指令時不開視窗, 做完即結束, 可供排程使用。") << Qt::endl
      << Qt::endl
      << QStringLiteral("指令與選項:") << Qt::endl;
  for (const Form& f : forms()) {
    const QString names = f.alias.isEmpty() ? formUsage(f) : f.alias + QStringLiteral(", ") + formUsage(f);
    const QString left = QStringLiteral("  ") + names;
    if (left.size() < 26) out << left.leftJustified(26) << f.help << Qt::endl;
    else out << left << Qt::endl << QString(26, QLatin1Char(' ')) << f.help << Qt::endl;
  }
  out << Qt::endl
      << QStringLiteral("應用程式資料夾: --home 指定的資料夾; 否則環境變數 TOLVA_HOME; 否則程式所在的資料夾") << Qt::endl
      << QStringLiteral("(可寫入且不是安裝在系統中時); 否則使用者的資料夾 ~/.local/share/%1,").arg(program) << Qt::endl
      << QStringLiteral("第一次啟動時自動建立。--version 顯示使用中的資料夾。") << Qt::endl
      << Qt::endl
      << QStringLiteral("結束代碼: 0 成功; 1 作業失敗或有不符; 2 指令錯誤或報表無法產生。") << Qt::endl;
  return text;
}

int RunCommandLine(const CommandLine& line) {
  QTextStream out(stdout);
  if (line.kind == CommandLine::Kind::Refused) {
    QTextStream err(stderr);
    err << appName() << QStringLiteral(": ") << line.error << Qt::endl << Qt::endl << HelpText(appName());
    return 2;
  }
  const Form* form = findForm(line.name);
  if (!form || line.kind != CommandLine::Kind::Job) return 2;
  SetNamedApplicationFolder(line.home);
  if (form->runs == Runs::OnDatabase) return runOnDatabase(*form, line.args, out);
  return form->job(line.args, out);
}
