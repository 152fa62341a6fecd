// A real file chooser listing the application folder must leave SQLite's locks in place: a
// process loses every POSIX lock on a file when it closes any descriptor of it, and a second
// process would then check-point and delete the journal under the running program.
#include "support/ExchangeFixture.h"
#include "support/Sql.h"

#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/FileChoosers.h"
#include "db/Connection.h"
#include "ui/PrintPreviewWindow.h"
#include "ui/QtOperatorDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// This process's locks on the file, from /proc/locks ("1: POSIX ADVISORY READ pid maj:min:inode start end").
int LocksHeldOn(const QString& file) {
  struct stat st {};
  if (::stat(QFile::encodeName(file).constData(), &st) != 0) return 0;
  QFile locks(QStringLiteral("/proc/locks"));
  if (!locks.open(QIODevice::ReadOnly)) return 0;
  const QString pid = QString::number(::getpid());
  const QString inode = QStringLiteral(":") + QString::number(st.st_ino);
  int n = 0;
  for (const QByteArray& line : locks.readAll().split('\n')) {
    const QStringList f = QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
    if (f.size() >= 6 && f[4] == pid && f[5].endsWith(inode)) ++n;
  }
  return n;
}

// Closes the chooser once it has listed `folder` and looked at every file in it.
void CloseChooserOnceListed(const QString& folder, bool& listed) {
  auto* poll = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, folder, &listed, tries] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (++*tries > 150) {  // 30 s: the folder never came; the test fails instead of hanging
      poll->deleteLater();
      dialog->reject();
      return;
    }
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (!model || QDir(dialog->directory()).canonicalPath() != QDir(folder).canonicalPath()) return;
    const QModelIndex root = model->index(folder);
    if (model->rowCount(root) == 0) return;
    for (int r = 0; r < model->rowCount(root); ++r) {  // what the list and detail views ask
      model->data(model->index(r, 0, root), Qt::DecorationRole);
      model->type(model->index(r, 0, root));
    }
    listed = true;
    poll->deleteLater();
    dialog->reject();
  });
  poll->start(200);
}

}  // namespace

class FileChooserLocksTest : public ExchangeTest {
protected:
  int locks() { return isPostgres() ? 0 : LocksHeldOn(db()) + LocksHeldOn(db() + QStringLiteral("-shm")); }
  QString db() const { return path(QStringLiteral("tolva.db")); }
  // Opens a chooser through `open`, which the operator last left in the application folder,
  // and checks that SQLite holds the locks it held before.
  void listTheApplicationFolder(const std::function<void()>& open) {
    const int before = locks();
    SaveSetting(QStringLiteral("FileChooser"), QStringLiteral("Dir"), TheSettings().appPath);
    bool listed = false;
    CloseChooserOnceListed(TheSettings().appPath, listed);
    open();
    ASSERT_TRUE(listed);
    QElapsedTimer settle;  // the chooser's gatherer thread finishes its folder
    settle.start();
    while (settle.elapsed() < 300) QApplication::processEvents();
    EXPECT_EQ(locks(), before);
  }
};

TEST_P(FileChooserLocksTest, ChoosersOnTheApplicationFolderKeepTheDatabaseLocks) {
  // Committed before the choosers: the blacklisting a store must receive tonight.
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET Status = '99' WHERE CardNo = 'V000001'"));
  if (!isPostgres()) {
    ASSERT_GT(locks(), 0);
  }
  listTheApplicationFolder([] {
    QtOperatorDialogs real;
    EXPECT_TRUE(real.openFileName(QStringLiteral("訊息檔案"), QStringLiteral("訊息檔 (*.txt)"), QString()).isEmpty());
  });
  // Qt's own chooser in the print dialog, with the output file typed into the folder, under
  // the guard the program installs at start-up.
  GuardFileChoosers(*qApp);
  listTheApplicationFolder([] {
    // The operator types the file's path once the print dialog is up, then presses "...".
    QTimer printer;
    printer.setInterval(20);
    QObject::connect(&printer, &QTimer::timeout, [&printer] {
      QWidget* dialog = QApplication::activeModalWidget();
      auto* browse = dialog ? dialog->findChild<QToolButton*>(QStringLiteral("fileBrowser")) : nullptr;
      if (!browse) return;
      printer.stop();
      dialog->findChild<QLineEdit*>(QStringLiteral("filename"))->setText(TheSettings().appPath + QStringLiteral("/print.pdf"));
      browse->click();
      dialog->close();
    });
    printer.start();
    PrintPreviewWindow preview;
    preview.printDocument();
  });

  // A nightly export in another process opens and closes the database.
  QStringList said;
  EXPECT_EQ(run({QStringLiteral("--export-blacklist"), inbox()}, said), 0) << said.join(u'\n').toStdString();
  EXPECT_TRUE(readBytes(QDir(inbox()).filePath(QStringLiteral("VoidCard.txt"))).contains("V000001"));
  if (!isPostgres()) {
    EXPECT_TRUE(QFile::exists(db() + QStringLiteral("-wal")));
  }

  // The row is still there, for this connection and for a new one.
  EXPECT_EQ(cardValue(QStringLiteral("V000001"), QStringLiteral("Status")).toString(), QStringLiteral("99"));
  gCnn().close();
  Must(gCnn().open(cnt_));
  EXPECT_EQ(cardValue(QStringLiteral("V000001"), QStringLiteral("Status")).toString(), QStringLiteral("99"));
}

TOLVA_DB_TEST_SUITE(FileChooserLocksTest);
