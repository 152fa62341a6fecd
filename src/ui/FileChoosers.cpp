#include "ui/FileChoosers.h"

#include "core/UserSettings.h"
#include "core/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace {

const QString kSection = QStringLiteral("FileChooser");
const QString kLastFolder = QStringLiteral("Dir");

// Icons and type names from the file name and the file system's own data (stat), never from
// the contents. Called from the chooser's gatherer thread as well; QMimeDatabase is safe there.
class NameOnlyIconProvider : public QFileIconProvider {
public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override {
    if (info.isDir()) return icon(Folder);
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return QIcon::fromTheme(mime.iconName(), icon(File));
  }
  QString type(const QFileInfo& info) const override {
    if (!info.isFile()) return QFileIconProvider::type(info);  // folders and drives: no reading
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
  }
};

NameOnlyIconProvider& Provider() {
  static NameOnlyIconProvider provider;
  return provider;
}

bool SameFolder(const QString& a, const QString& b) {
  return !a.isEmpty() && !b.isEmpty() && QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

QString DefaultFolder() {
  const QString last = GetSetting(kSection, kLastFolder);
  if (QFileInfo(last).isDir()) return last;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString FileNameOf(const QString& start) {
  if (start.isEmpty()) return {};
  const QFileInfo info(start);
  return info.isDir() ? QString() : info.fileName();
}

// Qt's chooser, with the name-only provider in place before it lists anything.
QString Run(QWidget* owner, const QString& title, const QString& filter, const QString& start,
            QFileDialog::FileMode mode, QFileDialog::AcceptMode accept) {
  // Built on the root folder, which holds no database, and only then sent where it should be.
  QFileDialog dialog(owner, title, QDir::rootPath(), filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setIconProvider(&Provider());
  dialog.setFileMode(mode);
  dialog.setAcceptMode(accept);
  if (mode == QFileDialog::Directory) dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(ChooserStartFolder(start));
  const QString name = FileNameOf(start);
  if (!name.isEmpty()) dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString chosen = dialog.selectedFiles().constFirst();
  SaveSetting(kSection, kLastFolder, mode == QFileDialog::Directory ? chosen : QFileInfo(chosen).absolutePath());
  return chosen;
}

// A file list learns what its files are when its gatherer thread's findings reach it as an
// event; the guard puts the name-only provider in place as the list's first event arrives.
class FileListGuard : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent*) override {
    if (auto* list = qobject_cast<QFileSystemModel*>(watched); list && list->iconProvider() != &Provider())
      list->setIconProvider(&Provider());
    return false;
  }
};

}  // namespace

QString ChooserStartFolder(const QString& start) {
  const QFileInfo info(start);
  QString folder;
  if (!start.isEmpty() && info.isAbsolute()) folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  if (!QFileInfo(folder).isDir() || SameFolder(folder, TheSettings().appPath)) return DefaultFolder();
  return folder;
}

QString ChooseFileToOpen(QWidget* owner, const QString& title, const QString& filter, const QString& start) {
  return Run(owner, title, filter, start, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
}

QString ChooseFileToSave(QWidget* owner, const QString& title, const QString& filter, const QString& start) {
  return Run(owner, title, filter, start, QFileDialog::AnyFile, QFileDialog::AcceptSave);
}

QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
  return Run(owner, title, QString(), start, QFileDialog::Directory, QFileDialog::AcceptOpen);
}

WorkingFolderForChoosers::WorkingFolderForChoosers() : was_(QDir::currentPath()) {
  QDir::setCurrent(ChooserStartFolder(QString()));
}

WorkingFolderForChoosers::~WorkingFolderForChoosers() { QDir::setCurrent(was_); }

void GuardFileChoosers(QApplication& app) {
  // A desktop's native chooser reads file contents to show their types.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  app.installEventFilter(new FileListGuard(&app));
}
