#pragma once
// The six card message lines ("附加訊息") that every issuing and value window prints under the
// card values, with the shared loading and saving of the card message file.
#include <QGroupBox>
#include <QList>

class StatusPanel;
class QLineEdit;

class CardMessagePanel : public QGroupBox {
  Q_OBJECT
public:
  // `firstIndex` is the number of the first line's control (1 in the message window, 0 in the
  // operation windows); `status` receives "檔案不存在".
  CardMessagePanel(StatusPanel* status, int firstIndex, QWidget* parent = nullptr);

  QLineEdit* line(int i) const { return lines_.at(i); }  // 0 to 5
  const QList<QLineEdit*>& lines() const { return lines_; }

  // Fills the lines from a message file; a missing or unreadable file leaves them as they
  // are and answers false.
  bool loadFile(const QString& file);
  // Writes the six lines joined by CR LF, with a final CR LF, in the code page; false (file
  // untouched) when a line holds a character the code page cannot write.
  bool saveFile(const QString& file) const;
  void clearLines();
  // The text printed on the card face: each line followed by a line feed.
  QString faceText() const;
  // The file dialog for a message file; an empty text when cancelled.
  static QString chooseFile(const QString& start);

private:
  StatusPanel* status_;
  QList<QLineEdit*> lines_;
};
