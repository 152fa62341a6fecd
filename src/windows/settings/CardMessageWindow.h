#pragma once
// The card message window: edits the six promotional lines of a card message file.
#include "ui/WindowHelpers.h"

#include <QStringList>
#include <QWidget>

class CardMsgPanel;
class ElaBar;
class QLineEdit;
class QPushButton;

class fmCardMsg : public QWidget, public UnsavedEdits {
  Q_OBJECT
public:
  explicit fmCardMsg(QWidget* parent = nullptr);

  void cmdLoadMsg_Click();
  void cmdSave_Click();
  void cmdExit_Click();
  void txtFile_DblClick();
  bool SaveMsg();
  // Asks before typed lines are given up; on "Yes" the lines are back as last loaded or saved.
  bool mayDiscardEdits() override;

  QLineEdit* txtFile() const { return txtFile_; }
  CardMsgPanel* msgPanel() const { return panel_; }
  ElaBar* elaMsg() const { return elaMsg_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QStringList lineTexts() const;
  void keepLines() { kept_ = lineTexts(); }

  QLineEdit* txtFile_;
  CardMsgPanel* panel_;
  ElaBar* elaMsg_;
  QStringList kept_;  // the lines as last loaded or saved
};
