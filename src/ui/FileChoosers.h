#pragma once
// File and folder choosers that never open a file to learn what it is.
//
// Qt's own chooser asks the MIME database for the icon and type of every file it lists, and
// the database reads any file whose name says nothing (the SQLite database, its -wal and -shm).
// SQLite's locks are POSIX locks, which belong to the process: closing *any* descriptor of the
// file cancels them all, and another process may then check-point and delete the journal under
// the running program. These choosers learn types from names alone, are always Qt's own (a
// desktop's native chooser sniffs contents too), and start in the folder the user last chose or
// the documents folder, not in the application folder.
#include <QString>

class QApplication;
class QWidget;

QString ChooseFileToOpen(QWidget* owner, const QString& title, const QString& filter, const QString& start);
QString ChooseFileToSave(QWidget* owner, const QString& title, const QString& filter, const QString& start);
QString ChooseFolder(QWidget* owner, const QString& title, const QString& start);

// The folder a chooser opens in for `start` (a folder, a file path or a bare file name).
QString ChooserStartFolder(const QString& start);

// While it lives, the working folder (otherwise the application folder) is the choosers' start
// folder: Qt's print dialog offers to print into the working folder and lists it when asked.
class WorkingFolderForChoosers {
public:
  WorkingFolderForChoosers();
  ~WorkingFolderForChoosers();
  WorkingFolderForChoosers(const WorkingFolderForChoosers&) = delete;
  WorkingFolderForChoosers& operator=(const WorkingFolderForChoosers&) = delete;

private:
  QString was_;
};

// Makes every file list Qt makes by itself (the print dialog's print-to-file chooser and the
// completer of its file name) learn file types from names alone, and keeps the desktop's
// native chooser away. Once, at start-up.
void GuardFileChoosers(QApplication& app);
