#pragma once
// The blacklist export window: writes the blacklisted cards to "VoidCard.txt" in a chosen
// directory for the stores.
#include <QWidget>

class StatusPanel;
class QLineEdit;

class BlacklistExportWindow : public QWidget {
  Q_OBJECT
public:
  explicit BlacklistExportWindow(QWidget* parent = nullptr);

  void exportBlacklist();
  void viewExportFile();
  void closeWindow();

  QLineEdit* txtDir() const { return txtDir_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // The checked directory; empty (and the operator told) when it is missing or not there.
  QString checkedDir();

  QLineEdit* txtDir_;
  StatusPanel* elaMsg_;
};
