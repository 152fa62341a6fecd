#pragma once
// The message window: one operator message that closes itself after some seconds, beeping
// once a second until then, or at once on a click or a key.
#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QTimer;

class frmMsg : public QDialog {
  Q_OBJECT
public:
  explicit frmMsg(QWidget* parent = nullptr);

  // Shows the message modally; the caller waits until the window closes.
  void ShowMsg(const QString& message, int seconds = 3);
  // The same, placed at the screen's lower right corner and kept on top.
  void ShowGo(const QString& message, int seconds = 3);

  QPlainTextEdit* txtMsg() const { return txtMsg_; }
  int elapsed() const { return elapsed_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  void Timer1_Timer();
  void closeNow();
  void prepare(const QString& message, int seconds);

  QFrame* Frame1_;
  QPlainTextEdit* txtMsg_;
  QTimer* Timer1_;
  qint16 seconds_ = 3;
  qint16 elapsed_ = 0;
};

// The one message window of the program, created on first use.
frmMsg& MessageWindow();
