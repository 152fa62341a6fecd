#pragma once
// The parameter settings window: the store code of this installation, the card reader port,
// the balance limit and the point rate.
#include "ui/WindowHelpers.h"

#include <QStringList>
#include <QWidget>

class StatusPanel;
class QLineEdit;

class ParametersWindow : public QWidget, public UnsavedEdits {
  Q_OBJECT
public:
  explicit ParametersWindow(QWidget* parent = nullptr);

  // Fills the fields from the settings in use and the parameter table.
  void loadParameters();
  void saveParameters();
  // Hides the window unless the operator keeps values not saved.
  void closeWindow();
  // The checks on leaving a field; false keeps the focus there.
  bool checkStore();
  bool checkBalanceLimit();
  bool checkPointRate();
  // Asks before typed values are given up; on "Yes" the fields show the settings in use again.
  bool mayDiscardEdits() override;

  QLineEdit* txtStoreID() const { return txtStoreID_; }
  QLineEdit* txtStoreName() const { return txtStoreName_; }
  QLineEdit* txtBorixPort() const { return txtBorixPort_; }
  QLineEdit* txtBalAmtLimit() const { return txtBalAmtLimit_; }
  QLineEdit* txtPointRate() const { return txtPointRate_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  bool checkAmount(QLineEdit* field);
  bool checkFields();
  bool save(QStringList& changes);
  QStringList fieldTexts() const;

  QLineEdit* txtStoreID_;
  QLineEdit* txtStoreName_;
  QLineEdit* txtBorixPort_;
  QLineEdit* txtBalAmtLimit_;
  QLineEdit* txtPointRate_;
  StatusPanel* elaMsg_;
  QStringList loaded_;  // the field texts as last loaded or saved
};
