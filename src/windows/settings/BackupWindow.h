#pragma once
// Backs up the embedded database from the program: the operator names the file, a bar shows the
// copy's progress, and the copy is checked before it counts.
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
  void closeWindow();

  QLabel* lblDatabase() const { return lblDatabase_; }
  QProgressBar* prgCopy() const { return prgCopy_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLabel* lblDatabase_;
  QProgressBar* prgCopy_;
  QPushButton* cmdBackup_;
  StatusPanel* elaMsg_;
  bool copying_ = false;  // a copy is under way: the bar's updates let window events run
};
