#pragma once
// Backs up and restores the embedded database from the program: the operator names the file, a
// bar shows the copy's progress, and a copy is checked before it counts.
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class StatusPanel;

class BackupWindow : public QWidget {
  Q_OBJECT
public:
  explicit BackupWindow(QWidget* parent = nullptr);

  // Asks for the file and writes the checked copy into it.
  void backUpDatabase();
  // Asks for a copy and, once the operator agrees, puts it in place of the database.
  void restoreDatabase();
  void closeWindow();

  QLabel* lblDatabase() const { return lblDatabase_; }
  QProgressBar* prgCopy() const { return prgCopy_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

signals:
  // The database now holds a restored copy: the program ends, so that nothing it read before
  // (settings, card key, open windows) outlives the restore.
  void databaseRestored();

protected:
  void showEvent(QShowEvent* event) override;

private:
  // The copy's progress on the bar; window events other than input run meanwhile.
  void showProgress(int done, int total);

  QLabel* lblDatabase_;
  QProgressBar* prgCopy_;
  QPushButton* cmdBackup_;
  QPushButton* cmdRestore_;
  StatusPanel* elaMsg_;
  bool copying_ = false;  // a copy is under way: the bar's updates let window events run
};
