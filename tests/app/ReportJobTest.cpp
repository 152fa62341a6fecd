// The reconciliation run from the command line: no display, a fresh home, the exit code.
#include "core/AppFolder.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

class ReportJobTest : public AppTest {
protected:
  int run(const QString& home, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOLVA_HOME"), home);
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(var));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TOLVA_BIN_DIR "/tolva"), args);
    EXPECT_TRUE(program.waitForFinished(60000));
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
  }
};

TEST_F(ReportJobTest, ReconcileRunsWithoutADisplayAndExitsNonZeroWhenACardDisagrees) {
  const QString home = path(QStringLiteral("home"));
  ASSERT_EQ(PrepareApplicationFolder(home, QStringLiteral("tolva")), QString());
  const QStringList args{QStringLiteral("--report"), QStringLiteral("reconcile"), home + QStringLiteral("/r.csv")};
  EXPECT_EQ(run(home, args), 0);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("job"));
    db.setDatabaseName(home + QStringLiteral("/tolva.db"));
    ASSERT_TRUE(db.open());
    EXPECT_TRUE(QSqlQuery(db).exec(QStringLiteral("INSERT INTO Tolva (CardNo, Status, BalAmt) VALUES ('V000001', '11', 100)")));
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("job"));
  EXPECT_EQ(run(home, args), 1);
  EXPECT_EQ(run(home, {QStringLiteral("--report"), QStringLiteral("weekly")}), 2);
}

TEST_F(ReportJobTest, TheAccountingReportsWriteTheirFilesAndRefuseBadDates) {
  const QString home = path(QStringLiteral("home"));
  ASSERT_EQ(PrepareApplicationFolder(home, QStringLiteral("tolva")), QString());
  for (const char* kind : {"dormancy", "expiry", "redemption"}) {
    const QString file = home + QStringLiteral("/%1.csv").arg(QString::fromLatin1(kind));
    EXPECT_EQ(run(home, {QStringLiteral("--report"), QString::fromLatin1(kind), file}), 0) << kind;
    EXPECT_TRUE(QFileInfo(file).size() > 0) << kind;
  }
  const QString rf = home + QStringLiteral("/rf.csv");
  EXPECT_EQ(run(home, {QStringLiteral("--report"), QStringLiteral("rollforward"), QStringLiteral("2026/11/01"),
                       QStringLiteral("2026-11-30"), rf}),
            0);
  EXPECT_EQ(run(home, {QStringLiteral("--report"), QStringLiteral("rollforward"), QStringLiteral("2026/13/01"),
                       QStringLiteral("2026/11/30"), rf}),
            2);
  EXPECT_EQ(run(home, {QStringLiteral("--report"), QStringLiteral("dormancy"), rf, rf}), 2);
}
