#pragma once
// The frame of the card windows that print the card message lines on the face (add value,
// good-thru, void, re-issue), with the card frame of the add-value and good-thru windows.
// Below what the window puts first: the message lines, the row that
// names their file, the window's own button beside the exit button, and the status panel. The
// exit and the title bar's close keep the message file path for the next run and hide the
// window; neither closes it while the window's button runs.
#include <QWidget>

class CardMessagePanel;
class MessageFileRow;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class StatusPanel;

class CardFaceWindow : public QWidget {
  Q_OBJECT
public:
  // Keeps the message file path for the next run and hides the window.
  void closeWindow();

  QLineEdit* txtFile() const;
  MessageFileRow* fileRow() const { return fileRow_; }
  CardMessagePanel* msgPanel() const { return panel_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  CardFaceWindow(const QString& objectName, const QString& title, QWidget* parent);

  // The frame "卡片資料" (fraCard) of the card in the reader: its number and good-thru date, then
  // two right-aligned values that the window names and labels. The fields show, never take, text.
  struct CardFrame {
    QWidget* frame;
    QLineEdit* cardNo;
    QLineEdit* goodThru;
    QLineEdit* first;
    QLineEdit* second;
  };
  CardFrame makeCardFrame(const QString& firstName, const QString& firstLabel, const QString& secondName,
                          const QString& secondLabel);

  // How the message file row behaves: with `loadOnLeave` a typed path is loaded when the field
  // is left; with `keepPerWindow` the path is kept under the window's name, otherwise every run
  // starts from the installation's card message file.
  struct FileRow {
    bool loadOnLeave;
    bool keepPerWindow;
  };
  // Adds the foot to `layout` and answers the window's own button.
  QPushButton* addFoot(QVBoxLayout* layout, FileRow fileRow, const QString& actionCaption, const QString& actionName);
  // The last step of building: fields take input and start empty, the message file is loaded.
  void finishSetUp();

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  StatusPanel* elaMsg_;
  CardMessagePanel* panel_ = nullptr;
  MessageFileRow* fileRow_ = nullptr;
  QPushButton* cmdExit_ = nullptr;
  bool pressing_ = false;  // the window's button runs (see RunPress)
};
