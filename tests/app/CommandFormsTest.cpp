// The command line: which forms start the windows, which run a job, which are refused, and what
// the programs answer on --help and on an unknown option.
#include "app/CommandLine.h"
#include "support/TestEnv.h"

#include <QProcess>

namespace {

CommandLine parse(const QStringList& args) { return ParseCommandLine(QStringList{QStringLiteral("tolva")} + args); }

struct Outcome {
  int rc = -1;
  QString out;
  QString err;
};

Outcome run(const QString& program, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));  // a window could not open
  p.setProcessEnvironment(env);
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST(CommandFormsTest, HomeAndQtOptionsGoWithEitherTheWindowsOrAJob) {
  const CommandLine windows = parse({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--home"),
                                     QStringLiteral("/srv/tolva")});
  EXPECT_EQ(windows.kind, CommandLine::Kind::Windows);
  EXPECT_EQ(windows.home, QStringLiteral("/srv/tolva"));

  const CommandLine job = parse({QStringLiteral("--home=/srv/tolva"), QStringLiteral("--report"),
                                 QStringLiteral("reconcile"), QStringLiteral("out.csv")});
  EXPECT_EQ(job.kind, CommandLine::Kind::Job);
  EXPECT_EQ(job.home, QStringLiteral("/srv/tolva"));
  EXPECT_EQ(job.name, QStringLiteral("--report"));
  EXPECT_EQ(job.args, (QStringList{QStringLiteral("reconcile"), QStringLiteral("out.csv")}));

  // After "--" a folder may start with a dash.
  const CommandLine dashed = parse({QStringLiteral("--import"), QStringLiteral("--"), QStringLiteral("-in")});
  EXPECT_EQ(dashed.kind, CommandLine::Kind::Job);
  EXPECT_EQ(dashed.args, QStringList{QStringLiteral("-in")});
  EXPECT_EQ(parse({QStringLiteral("-h")}).name, QStringLiteral("--help"));
}

TEST(CommandFormsTest, MalformedLinesAreRefused) {
  const QList<QStringList> lines = {
      {QStringLiteral("--bogus")},
      {QStringLiteral("stray")},
      {QStringLiteral("--import")},
      {QStringLiteral("--import"), QString()},
      {QStringLiteral("--import"), QStringLiteral("a"), QStringLiteral("b")},
      {QStringLiteral("--report"), QStringLiteral("reconcile")},
      {QStringLiteral("--version"), QStringLiteral("x")},
      {QStringLiteral("--import"), QStringLiteral("a"), QStringLiteral("--prepare")},
      {QStringLiteral("--home")},
      {QStringLiteral("--import=a")},
  };
  for (const QStringList& line : lines) {
    const CommandLine parsed = parse(line);
    EXPECT_EQ(parsed.kind, CommandLine::Kind::Refused) << line.join(u' ').toStdString();
    EXPECT_FALSE(parsed.error.isEmpty());
  }
}

TEST(CommandFormsTest, HelpListsEveryFormAndAnUnknownOptionExitsWithTwo) {
  const QString tolva = QStringLiteral(TOLVA_BIN_DIR "/tolva");
  const Outcome help = run(tolva, {QStringLiteral("--help")});
  EXPECT_EQ(help.rc, 0);
  for (const char* form : {"--import DIR", "--export-blacklist DIR", "--report reconcile FILE.csv", "--prepare",
                           "--home DIR", "--version", "TOLVA_HOME"}) {
    EXPECT_TRUE(help.out.contains(QLatin1String(form))) << form;
  }
  const Outcome unknown = run(tolva, {QStringLiteral("--bogus")});
  EXPECT_EQ(unknown.rc, 2);
  EXPECT_TRUE(unknown.out.isEmpty());
  EXPECT_TRUE(unknown.err.contains(QStringLiteral("'--bogus'")));
  EXPECT_TRUE(unknown.err.endsWith(help.out));

  const QString panel = QStringLiteral(TOLVA_BIN_DIR "/tools/crwsim/crwsim");
  const Outcome panelHelp = run(panel, {QStringLiteral("--help")});
  EXPECT_EQ(panelHelp.rc, 0);
  EXPECT_TRUE(panelHelp.out.contains(QStringLiteral("--home DIR")));
  const Outcome panelUnknown = run(panel, {QStringLiteral("--bogus")});
  EXPECT_EQ(panelUnknown.rc, 2);
  EXPECT_TRUE(panelUnknown.err.endsWith(panelHelp.out));
}
