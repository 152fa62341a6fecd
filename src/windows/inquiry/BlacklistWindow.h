#pragma once
// The blacklisting window: cancels the number of a lost or damaged card. The master row gets
// the blacklisted status with the reason, the number joins the list exported to the stores,
// and a journal row records it, all in one transaction. The card itself is not needed.
#include <QString>
#include <QWidget>

class StatusPanel;
class TextTable;
class QLineEdit;
class QTabWidget;

class BlacklistWindow : public QWidget {
  Q_OBJECT
public:
  explicit BlacklistWindow(QWidget* parent = nullptr);

  // Leaving the card number shows its card; false (the focus stays) when there is no such card.
  bool txtCardNo_Validate();
  void cmdSetBlack_Click();
  void cmdExit_Click();
  // Page 1 (the history) fits its columns to their contents when it comes up.
  void tabPage_Switch(int newTab);


  QLineEdit* field(const QString& name) const;
  TextTable* fgCardLog() const { return fgCardLog_; }
  QTabWidget* tabPage() const { return tabPage_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void InitForm();
  void setBlack();
  // Shows the card; false when the database has no such card (or could not be read).
  bool showCard(const QString& cardNo);

  QTabWidget* tabPage_;
  TextTable* fgCardLog_;
  StatusPanel* elaMsg_;
  QLineEdit* txtCardNo_;
  QLineEdit* txtRemark_;
  // The number whose card the fields show: their status says nothing about another number.
  QString shownCardNo_;
};
