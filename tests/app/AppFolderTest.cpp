// Where the program keeps its files and what a new folder gets.
#include "core/AppFolder.h"
#include "db/Database.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <unistd.h>

class AppFolderTest : public AppTest {
protected:
  QString mkdir(const QString& name) {
    EXPECT_TRUE(QDir().mkpath(path(name)));
    return path(name);
  }
  void touch(const QString& name) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
};

TEST_F(AppFolderTest, NamedFolderThenWritableExecutableFolderThenUserData) {
  const QString exe = mkdir(QStringLiteral("build"));
  const QString data = path(QStringLiteral("data"));
  const ApplicationFolder named = ChooseApplicationFolder(path(QStringLiteral("x/../home")), exe, data);
  EXPECT_EQ(named.path, path(QStringLiteral("home")));
  EXPECT_EQ(named.source, FolderSource::Named);
  EXPECT_EQ(ChooseApplicationFolder({}, exe, data).source, FolderSource::ExecutableFolder);

  // A folder that cannot be written, whoever runs the test: it lies below a plain file.
  touch(QStringLiteral("plain"));
  const ApplicationFolder unwritable = ChooseApplicationFolder({}, path(QStringLiteral("plain/bin")), data);
  EXPECT_EQ(unwritable.path, data);
  EXPECT_EQ(unwritable.source, FolderSource::UserData);
  if (geteuid() != 0) {
    const QString locked = mkdir(QStringLiteral("locked"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(ChooseApplicationFolder({}, locked, data).source, FolderSource::UserData);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
}

TEST_F(AppFolderTest, InstalledProgramNeverWritesBesideItselfEvenWhenItCould) {
  const QString bin = mkdir(QStringLiteral("usr/bin"));
  EXPECT_FALSE(IsInstalledLayout(bin));
  mkdir(QStringLiteral("usr/share/tolva"));
  EXPECT_TRUE(IsInstalledLayout(bin));
  EXPECT_EQ(ChooseApplicationFolder({}, bin, path(QStringLiteral("data"))).source, FolderSource::UserData);
  // The package's driver library folder is one of those searched beside the program.
  EXPECT_TRUE(DriverLibraryFolders(bin).last().startsWith(path(QStringLiteral("usr/lib"))));
}

TEST_F(AppFolderTest, PreparedFolderHasWhatTheFirstStartNeedsAndKeepsWhatExists) {
  const QString fresh = path(QStringLiteral("fresh/tolva"));
  ASSERT_EQ(PrepareApplicationFolder(fresh, QStringLiteral("tolva")), QString());
  QFile ini(fresh + QStringLiteral("/tolva.INI"));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains("GCNT=Provider=SQLite;Data Source=tolva.db"));
  EXPECT_TRUE(QFile::exists(fresh + QLatin1Char('/') + QLatin1String(kFreshHomeMarker)));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("msg"));
    db.setDatabaseName(fresh + QStringLiteral("/IDMSG.MDB"));
    ASSERT_TRUE(db.open());
    EXPECT_TRUE(QSqlQuery(db).exec(QStringLiteral("SELECT MsgID, Msg FROM Msg")));
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("msg"));

  // An existing configuration is kept and gets no marker: its database is not created blindly.
  writeIni(QStringLiteral("[PARAM]\r\nGCNT=Provider=PostgreSQL;Host=db\r\n"));
  ASSERT_EQ(PrepareApplicationFolder(dir_->path(), QStringLiteral("tolva")), QString());
  EXPECT_EQ(readBytes(path(QStringLiteral("tolva.INI"))), QByteArray("[PARAM]\r\nGCNT=Provider=PostgreSQL;Host=db\r\n"));
  EXPECT_FALSE(QFile::exists(path(QLatin1String(kFreshHomeMarker))));

  touch(QStringLiteral("plain"));
  EXPECT_FALSE(PrepareApplicationFolder(path(QStringLiteral("plain/home")), QStringLiteral("tolva")).isEmpty());
}
