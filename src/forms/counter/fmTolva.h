#pragma once
// The main window.
#include <QWidget>

class QPushButton;

class fmTolva : public QWidget {
  Q_OBJECT
public:
  explicit fmTolva(QWidget* parent = nullptr);

  void cmdExit_Click();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QPushButton* cmdExit_;
};
