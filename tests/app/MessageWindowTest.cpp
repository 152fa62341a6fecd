#include "app/frmMsg.h"
#include "app/globals.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>

class MessageWindowTest : public AppTest {};

TEST_F(MessageWindowTest, ClosesItselfAfterTheSecondsBeepingOnceASecondBefore) {
  gCustName = QStringLiteral("好市集");
  frmMsg w;
  QElapsedTimer t;
  t.start();
  w.ShowMsg(QStringLiteral("卡片資料有誤"), 2);
  const qint64 ms = t.elapsed();
  EXPECT_GE(ms, 1900);
  EXPECT_LT(ms, 4000);
  EXPECT_EQ(dialogs_->beeps, 1);  // after the first second only
  EXPECT_EQ(w.windowTitle(), QStringLiteral("好市集"));
  EXPECT_EQ(w.txtMsg()->toPlainText(), QStringLiteral("卡片資料有誤"));
  EXPECT_FALSE(w.isVisible());
}

TEST_F(MessageWindowTest, AClickOnTheTextOrAKeyClosesItAtOnce) {
  frmMsg w;
  QTimer::singleShot(100, &w, [&] {
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.txtMsg()->viewport(), &click);
  });
  QElapsedTimer t;
  t.start();
  w.ShowMsg(QStringLiteral("卡片與資料庫不符"), 60);
  EXPECT_LT(t.elapsed(), 1500);
  EXPECT_EQ(dialogs_->beeps, 0);

  QTimer::singleShot(100, &w, [&] {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&w, &key);
  });
  t.restart();
  w.ShowGo(QStringLiteral("x"), 60);
  EXPECT_LT(t.elapsed(), 1500);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
}
