#pragma once
// The "訊息檔案" row of a window that prints card message lines: the path of the card message
// file, kept for the window under "MsgFile" (the installation's card message file until one is
// kept) or, in a window that keeps none, the installation's card message file on every run;
// loaded into the lines when the window is built, and chosen with a double-click (or F8).
#include <QWidget>

class CardMessagePanel;
class StatusPanel;
class QLineEdit;

class MessageFileRow : public QWidget {
  Q_OBJECT
public:
  // `section` is the window's name in the per-user settings and error log. With `loadOnLeave`,
  // leaving the field loads the path typed (an empty path clears the lines); otherwise a typed
  // path waits for the next double-click. Without `keepPerWindow` nothing is kept.
  MessageFileRow(const QString& section, CardMessagePanel* panel, StatusPanel* status, bool loadOnLeave,
                 bool keepPerWindow, QWidget* parent);

  QLineEdit* txtFile() const { return txtFile_; }

  // Puts the stored path into the field and loads it.
  void restore();
  // Stores the path in the field for the next run.
  void store() const;
  // The file dialog; the chosen file is loaded.
  void chooseMessageFile();
  // The path typed: an empty one clears the message lines, another loads its file.
  void loadTypedMessageFile();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void load(const QString& path);

  QString section_;
  CardMessagePanel* panel_;
  StatusPanel* status_;
  bool keepPerWindow_;
  QLineEdit* txtFile_;
};
