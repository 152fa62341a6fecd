#pragma once
// The card message window: edits the six promotional lines of a card message file.
#include <QWidget>

class CardMsgPanel;
class ElaBar;
class QLineEdit;
class QPushButton;

class fmCardMsg : public QWidget {
  Q_OBJECT
public:
  explicit fmCardMsg(QWidget* parent = nullptr);

  void cmdLoadMsg_Click();
  void cmdSave_Click();
  void cmdExit_Click();
  void txtFile_DblClick();
  bool SaveMsg();

  QLineEdit* txtFile() const { return txtFile_; }
  CardMsgPanel* msgPanel() const { return panel_; }
  ElaBar* elaMsg() const { return elaMsg_; }

private:
  QLineEdit* txtFile_;
  CardMsgPanel* panel_;
  ElaBar* elaMsg_;
};
