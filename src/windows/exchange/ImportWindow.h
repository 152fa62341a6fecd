#pragma once
// The store transaction import window: lists the store files waiting in a directory and loads
// them one by one, each with its result in the list. The window stays responsive while it
// works, and the operator can stop it between files.
#include "operations/StoreFolder.h"

#include <QList>
#include <QWidget>

class StatusPanel;
class DataGrid;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class ImportWindow : public QWidget {
  Q_OBJECT
public:
  explicit ImportWindow(QWidget* parent = nullptr);

  void listStoreFiles();
  bool checkFolder();
  void importFiles();
  void viewSelectedFile();
  void stopImport();
  void closeWindow();

  QLineEdit* txtDir() const { return txtDir_; }
  DataGrid* fgList() const { return fgList_; }
  StatusPanel* elaMsg() const { return elaMsg_; }
  QProgressBar* progress() const { return progress_; }
  QLabel* lblProgress() const { return lblProgress_; }
  bool running() const { return running_; }

signals:
  // A file's result is in the list (data row `row`), before the window asks or goes on.
  void fileImported(int row);

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void restoreFolder();
  void setRunning(bool on);
  // Loads the file of one data row and writes its result; false when the run is to stop.
  bool importRow(int row, int& rowsLoaded);

  QLineEdit* txtDir_;
  DataGrid* fgList_;
  StatusPanel* elaMsg_;
  QProgressBar* progress_;
  QLabel* lblProgress_;
  QPushButton* cmdOK_;
  QPushButton* cmdView_;
  QPushButton* cmdStop_;
  QPushButton* cmdExit_;
  QList<ListedStoreFile> files_;  // the list's data rows, in order
  bool running_ = false;
  bool stopRequested_ = false;
};
