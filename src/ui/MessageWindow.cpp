#include "ui/MessageWindow.h"

#include "core/OperatorDialogs.h"
#include "core/Settings.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

MessageWindow::MessageWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmMsg"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  Frame1_ = new QFrame(this);
  Frame1_->setObjectName(QStringLiteral("Frame1"));
  Frame1_->setFrameShape(QFrame::StyledPanel);
  auto* inner = new QVBoxLayout(Frame1_);
  txtMsg_ = new QPlainTextEdit(Frame1_);
  txtMsg_->setObjectName(QStringLiteral("txtMsg"));
  txtMsg_->setReadOnly(true);
  QFont f = txtMsg_->font();
  f.setPointSize(f.pointSize() + 4);
  txtMsg_->setFont(f);
  inner->addWidget(txtMsg_);
  outer->addWidget(Frame1_);
  // Clicks on the text, the frame or the window, and any key, close the window.
  txtMsg_->viewport()->installEventFilter(this);
  txtMsg_->installEventFilter(this);
  Frame1_->installEventFilter(this);
  Timer1_ = new QTimer(this);
  connect(Timer1_, &QTimer::timeout, this, &MessageWindow::countDown);
  resize(420, 200);
}

void MessageWindow::prepare(const QString& message, int seconds) {
  if (isVisible()) hide();
  seconds_ = static_cast<qint16>(seconds > 0 ? seconds : 3);
  elapsed_ = 0;
  setWindowTitle(TheSettings().customerName);
  Timer1_->setInterval(1000);
  Timer1_->start();
  txtMsg_->setPlainText(message);
}

// Sees every input event of the process while the window shows. A press closes the window at
// once; one meant for another window is held back and sent on after the window has gone, so
// that the operator's click is neither lost nor handled while the caller still waits.
class MessageWindow::InputCatcher : public QObject {
public:
  explicit InputCatcher(MessageWindow* window) : window_(window) { qApp->installEventFilter(this); }
  ~InputCatcher() override {
    qApp->removeEventFilter(this);
    if (heldFor_ && held_) QCoreApplication::postEvent(heldFor_, held_.release());
  }
  InputCatcher(const InputCatcher&) = delete;
  InputCatcher& operator=(const InputCatcher&) = delete;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!isInput(event->type())) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool mine = widget && widget->window() == window_;
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress;
    if (press) window_->closeNow();
    if (mine || !widget) return false;
    if (event->type() == QEvent::MouseButtonPress && !held_) {
      held_.reset(static_cast<QMouseEvent*>(event)->clone());
      heldFor_ = widget;
    }
    return true;
  }

private:
  static bool isInput(QEvent::Type t) {
    switch (t) {
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::ShortcutOverride: case QEvent::Shortcut:
      case QEvent::Wheel: case QEvent::Close:
        return true;
      default:
        return false;
    }
  }

  MessageWindow* window_;
  std::unique_ptr<QEvent> held_;
  QPointer<QObject> heldFor_;
};

void MessageWindow::showAndWait() {
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
  {
    const InputCatcher catcher(this);
    show();
    raise();
    activateWindow();
    if (isVisible()) loop.exec();
  }
  Timer1_->stop();
}

void MessageWindow::showMessage(const QString& message, int seconds) {
  prepare(message, seconds);
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  showAndWait();
}

void MessageWindow::countDown() {
  ++elapsed_;
  if (elapsed_ < seconds_) {
    Dialogs().beep();
    raise();
    activateWindow();
    return;
  }
  closeNow();
}

void MessageWindow::closeNow() {
  Timer1_->stop();
  if (isVisible()) done(QDialog::Accepted);
}

bool MessageWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
    closeNow();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void MessageWindow::keyPressEvent(QKeyEvent*) { closeNow(); }

void MessageWindow::mousePressEvent(QMouseEvent*) { closeNow(); }

MessageWindow& TheMessageWindow() {
  static MessageWindow* window = new MessageWindow;
  return *window;
}
