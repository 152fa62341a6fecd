#pragma once
// The erase window: takes back a demagnetised or unused card. Its master row becomes "taken
// back" with the reason, a journal row records it, and the card is wiped to a blank one; the
// rows are committed only once the card is blank.

#include <QWidget>

class StatusPanel;
class DataGrid;
class QLineEdit;
class QPushButton;
class QRadioButton;

class EraseWindow : public QWidget {
  Q_OBJECT
public:
  explicit EraseWindow(QWidget* parent = nullptr);

  // One erase of the typed card number.
  void eraseCard();
  void closeWindow();
  // The check on leaving the card number field; false keeps the focus there.
  bool checkCardNumber();

  QLineEdit* txtCardNo() const { return txtCardNo_; }
  QRadioButton* optClearType(int i) const { return i == 0 ? optDemag_ : optReturn_; }
  DataGrid* fgLog() const { return fgLog_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void runErase();
  bool alreadyErased(const QString& cardNo) const;
  QString reason() const;

  QLineEdit* txtCardNo_;
  QRadioButton* optDemag_;
  QRadioButton* optReturn_;
  DataGrid* fgLog_;
  StatusPanel* elaMsg_;
  QPushButton* cmdEraseCard_;
  bool erasing_ = false;
};
