#pragma once
// The card query window: everything the database holds about one card, its master row and its
// history, by a typed card number or by the card in the reader. A read card is compared with
// its master row. The window changes nothing, neither in the database nor on the card.
#include <QWidget>

class StatusPanel;
class TextTable;
class QLineEdit;
class QPushButton;
class QTabWidget;

class CardQueryWindow : public QWidget {
  Q_OBJECT
public:
  explicit CardQueryWindow(QWidget* parent = nullptr);

  // Leaving the card number: blanks clear the window, a number shows its card. False (the
  // focus stays) when the database has no such card.
  bool txtCardNo_Validate();
  // Reads the card in the reader, shows its database record and reports any difference.
  void cmdReadCard_Click();
  void cmdExit_Click();
  // Page 1 (the history) fits its columns to their contents when it comes up.
  void tabPage_Switch(int newTab);

  QLineEdit* field(const QString& name) const;
  TextTable* fgCardLog() const { return fgCardLog_; }
  QTabWidget* tabPage() const { return tabPage_; }
  StatusPanel* elaMsg() const { return elaMsg_; }
  QPushButton* cmdReadCard() const { return cmdReadCard_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void InitForm();
  void clearWindow();
  void readCard();

  QTabWidget* tabPage_;
  TextTable* fgCardLog_;
  StatusPanel* elaMsg_;
  QLineEdit* txtCardNo_ = nullptr;
  QPushButton* cmdReadCard_;
  bool reading_ = false;
};
