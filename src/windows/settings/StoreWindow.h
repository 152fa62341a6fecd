#pragma once
// The store maintenance window: browses the store list in display order, adds, changes and
// deletes stores, and prints the list.
#include "core/Fetched.h"
#include "ui/WindowHelpers.h"

#include <QWidget>

class StatusPanel;
class DataGrid;
class QLineEdit;
class QPushButton;

class StoreWindow : public QWidget, public UnsavedEdits {
  Q_OBJECT
public:
  enum class Mode { Browse, Add, Edit };

  explicit StoreWindow(QWidget* parent = nullptr);

  // Reloads the list and shows the store with this code (the first one when empty or gone).
  void reloadStores(const QString& showCode = QString());
  // Shows data row `row` (1 = first store) in the fields.
  void showStoreRow(int row);

  void addStore();
  void editStore();
  void deleteStore();
  void saveStore();
  void cancelEdit();
  void printList();
  void closeWindow();
  // The checks on leaving a field; false keeps the focus there. The code is checked only when
  // a store is added.
  bool checkStoreCode();
  bool checkListNumber();
  // Asks before an unsaved add or change is given up; on "Yes" the window is back to browsing.
  bool mayDiscardEdits() override;

  Mode mode() const { return mode_; }
  // The code of the store shown in browse mode, empty when the list is empty.
  QString currentCode() const { return currentCode_; }
  DataGrid* fgStore() const { return fgStore_; }
  QLineEdit* txtStoreID() const { return txtStoreID_; }
  QLineEdit* txtStoreName() const { return txtStoreName_; }
  QLineEdit* txtListNo() const { return txtListNo_; }
  StatusPanel* elaMsg() const { return elaMsg_; }
  QPushButton* button(const QString& name) const;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void buildFields(class QVBoxLayout* layout);
  void buildButtons(class QVBoxLayout* layout);
  void setMode(Mode mode);
  Fetched<bool> checkFields();
  Fetched<bool> saveRow();
  void showProblem(QLineEdit* field, const QString& message);
  QString listForPrint() const;

  DataGrid* fgStore_;
  QLineEdit* txtStoreID_;
  QLineEdit* txtStoreName_;
  QLineEdit* txtListNo_;
  StatusPanel* elaMsg_;
  Mode mode_ = Mode::Browse;
  QString currentCode_;
};
