#include "ui/MessageWindow.h"
#include "core/Settings.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

class MessageWindowTest : public AppTest {};

TEST_F(MessageWindowTest, ClosesItselfAfterTheSecondsBeepingOnceASecondBefore) {
  EditSettings().customerName = QStringLiteral("好市集");
  MessageWindow w;
  QElapsedTimer t;
  t.start();
  w.showMessage(QStringLiteral("卡片資料有誤"), 2);
  const qint64 ms = t.elapsed();
  EXPECT_GE(ms, 1900);
  EXPECT_LT(ms, 4000);
  EXPECT_EQ(dialogs_->beeps, 1);  // after the first second only
  EXPECT_EQ(w.windowTitle(), QStringLiteral("好市集"));
  EXPECT_EQ(w.txtMsg()->toPlainText(), QStringLiteral("卡片資料有誤"));
  EXPECT_FALSE(w.isVisible());
}

TEST_F(MessageWindowTest, AClickOnTheTextOrAKeyClosesItAtOnce) {
  MessageWindow w;
  QTimer::singleShot(100, &w, [&] {
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.txtMsg()->viewport(), &click);
  });
  QElapsedTimer t;
  t.start();
  w.showMessage(QStringLiteral("卡片與資料庫不符"), 60);
  EXPECT_LT(t.elapsed(), 1500);
  EXPECT_EQ(dialogs_->beeps, 0);

  QTimer::singleShot(100, &w, [&] {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&w, &key);
  });
  t.restart();
  w.showMessage(QStringLiteral("x"), 60);
  EXPECT_LT(t.elapsed(), 1500);
}

// The operator clicks the next button while a message shows: the message goes at once and the
// click presses the button once the message has gone, not while its caller still waits.
TEST_F(MessageWindowTest, AClickOnAnotherWindowClosesItAndStillPresses) {
  QPushButton next(QStringLiteral("加值"));
  next.show();
  int clicks = 0;
  QObject::connect(&next, &QPushButton::clicked, [&] { ++clicks; });
  MessageWindow w;
  const QPointF at(5, 5);
  QTimer::singleShot(100, &w, [&] {
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&next, &press);
  });
  QElapsedTimer t;
  t.start();
  w.showMessage(QStringLiteral("加值完成"), 5);
  EXPECT_LT(t.elapsed(), 1500);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(clicks, 0);  // the caller has not gone on yet
  QApplication::processEvents();
  QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&next, &release);
  EXPECT_EQ(clicks, 1);
}
