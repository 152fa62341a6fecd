#pragma once
// Batch issuing: numbers a run of new cards, stores each card's master row and issue
// transaction, writes its stripe and prints its face, one database transaction per card.
#include <QString>
#include "operations/CardOperation.h"

#include <QWidget>

class CardMessagePanel;
class StatusPanel;
class DataGrid;
class QLineEdit;
class QPushButton;
class QTabWidget;

class IssueWindow : public QWidget {
  Q_OBJECT
public:
  explicit IssueWindow(QWidget* parent = nullptr);

  void resetWindow();
  // True when the fields allow a run to start.
  bool fieldsAllowRun();
  // One issuing run (IssueWindowRun.cpp).
  void issueCards();
  void closeWindow();
  void chooseMessageFile();
  void scrollLogOnShow(int page);
  // Adds the grid row of a committed card, newest first.
  void addCommittedCardRow(const QString& cardNo, const QString& balAmt);

  // The checks on leaving a field; false keeps the focus in it.
  bool checkCardType();
  bool checkCardCount();
  bool checkStore();
  bool checkBalance();
  bool checkRemark();

  QTabWidget* tabPage() const { return tabPage_; }
  QLineEdit* txtCardType() const { return txtCardType_; }
  QLineEdit* txtCardCnt() const { return txtCardCnt_; }
  QLineEdit* txtStoreID() const { return txtStoreID_; }
  QLineEdit* txtStoreName() const { return txtStoreName_; }
  QLineEdit* txtBalAmt() const { return txtBalAmt_; }
  QLineEdit* txtRemark() const { return txtRemark_; }
  QLineEdit* txtFile() const { return txtFile_; }
  CardMessagePanel* msgPanel() const { return msgPanel_; }
  DataGrid* fgLog() const { return fgLog_; }
  StatusPanel* elaMsg() const { return elaMsg_; }
  QPushButton* cmdIsuCard() const { return cmdIsuCard_; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void buildIssuePage(QWidget* page);
  void buildLogPage(QWidget* page);
  void loadMessageFile(const QString& file);
  void fitLogColumns();
  // Shows a refusal on the status panel and selects the field's text.
  bool refuse(QLineEdit* field, const QString& text);
  // A count or amount field: numeric and not negative.
  bool checkNumber(QLineEdit* field, const QString& belowZeroText, bool whole);

  QTabWidget* tabPage_;
  QLineEdit* txtCardType_;
  QLineEdit* txtCardCnt_;
  QLineEdit* txtStoreID_;
  QLineEdit* txtStoreName_;
  QLineEdit* txtBalAmt_;
  QLineEdit* txtRemark_;
  QLineEdit* txtFile_;
  CardMessagePanel* msgPanel_;
  DataGrid* fgLog_;
  StatusPanel* elaMsg_;
  QPushButton* cmdIsuCard_;
  QPushButton* cmdExit_;
  bool running_ = false;
};
