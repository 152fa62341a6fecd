#include "app/frmMsg.h"

#include "app/OperatorDialogs.h"
#include "app/globals.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

frmMsg::frmMsg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmMsg"));
  setModal(true);
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
  connect(Timer1_, &QTimer::timeout, this, &frmMsg::Timer1_Timer);
  resize(420, 200);
}

void frmMsg::prepare(const QString& message, int seconds) {
  if (isVisible()) hide();
  seconds_ = static_cast<qint16>(seconds > 0 ? seconds : 3);
  elapsed_ = 0;
  setWindowTitle(gCustName);
  Timer1_->setInterval(1000);
  Timer1_->start();
  txtMsg_->setPlainText(message);
}

void frmMsg::ShowMsg(const QString& message, int seconds) {
  prepare(message, seconds);
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  exec();
  Timer1_->stop();
}

void frmMsg::ShowGo(const QString& message, int seconds) {
  prepare(message, seconds);
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.right() - width() - 16, area.bottom() - height() - 48);
  }
  exec();
  Timer1_->stop();
}

void frmMsg::Timer1_Timer() {
  ++elapsed_;
  if (elapsed_ < seconds_) {
    Dialogs().beep();
    raise();
    activateWindow();
    return;
  }
  closeNow();
}

void frmMsg::closeNow() {
  Timer1_->stop();
  if (isVisible()) done(QDialog::Accepted);
}

bool frmMsg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
    closeNow();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void frmMsg::keyPressEvent(QKeyEvent*) { closeNow(); }

void frmMsg::mousePressEvent(QMouseEvent*) { closeNow(); }

frmMsg& MessageWindow() {
  static frmMsg* window = new frmMsg;
  return *window;
}
