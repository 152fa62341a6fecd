#pragma once
// The card message window: edits the six promotional lines of a card message file.
#include "ui/WindowHelpers.h"

#include <QStringList>
#include <QWidget>

class CardMessagePanel;
class StatusPanel;
class QLineEdit;
class QPushButton;

class CardMessageWindow : public QWidget, public UnsavedEdits {
  Q_OBJECT
public:
  explicit CardMessageWindow(QWidget* parent = nullptr);

  // The lines from, or to, the file named in txtFile.
  void loadMessages();
  void saveMessages();
  // Hides the window unless the operator keeps lines not saved.
  void closeWindow();
  // The file dialog; the chosen file is loaded.
  void chooseMessageFile();
  bool saveMessageFile();
  // Asks before typed lines are given up; on "Yes" the lines are back as last loaded or saved.
  bool mayDiscardEdits() override;

  QLineEdit* txtFile() const { return txtFile_; }
  CardMessagePanel* msgPanel() const { return panel_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QStringList lineTexts() const;
  void keepLines() { kept_ = lineTexts(); }

  QLineEdit* txtFile_;
  CardMessagePanel* panel_;
  StatusPanel* elaMsg_;
  QStringList kept_;  // the lines as last loaded or saved
};
