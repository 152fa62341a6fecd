#pragma once
// The message window: one operator message that closes itself after some seconds, beeping
// once a second until then, or at once on a click or a key anywhere in the program. A click on
// another window then goes on to do what it was for, instead of being dropped by a modal window.
#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QTimer;

class MessageWindow : public QDialog {
  Q_OBJECT
public:
  explicit MessageWindow(QWidget* parent = nullptr);

  // Shows the message; the caller waits until the window closes. Other windows take no input
  // meanwhile: a click or key on them closes this window first.
  void showMessage(const QString& message, int seconds = 3);

  QPlainTextEdit* txtMsg() const { return txtMsg_; }
  int elapsed() const { return elapsed_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  class InputCatcher;
  void showAndWait();
  void countDown();
  void closeNow();
  void prepare(const QString& message, int seconds);

  QFrame* Frame1_;
  QPlainTextEdit* txtMsg_;
  QTimer* Timer1_;
  qint16 seconds_ = 3;
  qint16 elapsed_ = 0;
};

// The one message window of the program, created on first use.
MessageWindow& TheMessageWindow();
