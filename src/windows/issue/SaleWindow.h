#pragma once
// The card sale window: once the invoice number is typed and 確定 pressed, every card the
// operator inserts is checked, marked sold and journalled, until the card wait is cancelled.

#include <QWidget>

class StatusPanel;
class DataGrid;
class QLineEdit;
class QPushButton;

class SaleWindow : public QWidget {
  Q_OBJECT
public:
  explicit SaleWindow(QWidget* parent = nullptr);

  // The selling loop.
  void sellCards();
  void closeWindow();
  // One card: true to go on with the next card. `cardNo` receives the card's number (empty
  // when none could be read); `problem` is false only when the sale was committed.
  bool sellOneCard(QString& cardNo, bool& problem);

  QLineEdit* txtRefNo() const { return txtRefNo_; }
  DataGrid* fgList() const { return fgList_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  QLineEdit* txtRefNo_;
  DataGrid* fgList_;
  StatusPanel* elaMsg_;
  QPushButton* cmdOK_;
  QPushButton* cmdExit_;
  bool selling_ = false;
};
