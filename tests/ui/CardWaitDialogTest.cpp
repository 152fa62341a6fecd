// The card wait dialog as the operator sees it, with the real Qt dialogs installed.
#include "support/CardFixture.h"

#include "ui/QtOperatorDialogs.h"
#include "device/DeviceSession.h"
#include "ui/CardWaitDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <iostream>
#include <ctime>

namespace {

class WaitDialog : public CardTest {
protected:
  void SetUp() override {
    CardTest::SetUp();
    SetDialogs(&qt_);
  }
  void TearDown() override {
    SetDialogs(dialogs_.get());
    CardTest::TearDown();
  }
  // Presses "取消" on the modal dialog once it is up.
  // Presses the wait dialog's cancel after `ms`, or as soon as the dialog is up when it comes
  // later: a loaded machine may take longer to show it, and a missed cancel waits for ever.
  static void cancelLater(int ms) {
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries] {
      QWidget* modal = QApplication::activeModalWidget();
      auto* button = modal ? modal->findChild<QPushButton*>(QStringLiteral("cmdCancel")) : nullptr;
      if (button) button->click();
      if (button || ++*tries > 500) poll->deleteLater();
    });
    QTimer::singleShot(ms, poll, [poll] { poll->start(20); });
  }

  QtOperatorDialogs qt_;
};

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

TEST_F(WaitDialog, ShowsItsTextAndClosesWhenThePollAnswers) {
  int polls = 0;
  CardWaitDialog dialog([&polls] { return ++polls >= 5; });
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblMessage"))->text(), QStringLiteral("請插入卡片....."));
  EXPECT_EQ(dialog.cmdCancel->text(), QStringLiteral("取消"));
  EXPECT_EQ(dialog.waitForCard(), 0);
  EXPECT_EQ(polls, 5);
  EXPECT_EQ(dialog.outcome(), 0);
}

TEST_F(WaitDialog, CancelGivesMinus21WithoutKeepingACoreBusy) {
  int polls = 0;
  CardWaitDialog dialog([&polls] {
    ++polls;
    return false;
  });
  cancelLater(400);
  const double cpuBefore = cpuSeconds();
  EXPECT_EQ(dialog.waitForCard(), -21);
  const double cpuUsed = cpuSeconds() - cpuBefore;
  EXPECT_EQ(dialog.outcome(), -21);
  EXPECT_GT(polls, 5);
  // 400 ms of waiting must not cost anywhere near 400 ms of processor time.
  EXPECT_LT(cpuUsed, 0.25);
}

TEST_F(WaitDialog, ClosingTheDialogOtherwiseCancelsToo) {
  CardWaitDialog dialog([] { return false; });
  QTimer::singleShot(50, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      QCoreApplication::postEvent(modal, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
  });
  EXPECT_EQ(dialog.waitForCard(), -21);
  CardWaitDialog again([] { return false; });
  QTimer::singleShot(50, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  EXPECT_EQ(again.waitForCard(), -21);
}

TEST_F(WaitDialog, SessionWaitsForTheCardThroughTheDialog) {
  ASSERT_TRUE(reader().ensure());
  QElapsedTimer clock;
  qint64 insertedAt = -1;
  QTimer::singleShot(100, [this, &clock, &insertedAt] {
    insertCard();
    insertedAt = clock.elapsed();
  });
  clock.start();
  QString msg;
  std::int32_t code = 1;
  EXPECT_TRUE(OpenReaderAndWaitForCard(msg, &code)) << msg.toStdString();
  EXPECT_EQ(code, 0);
  // The card is noticed within a tenth of a second.
  ASSERT_GE(insertedAt, 0);
  EXPECT_LT(clock.elapsed() - insertedAt, 100);
}

TEST_F(WaitDialog, LongWaitForACardCostsNextToNoProcessorTime) {
  ASSERT_TRUE(reader().ensure());
  cancelLater(2000);
  const double cpuBefore = cpuSeconds();
  QElapsedTimer clock;
  clock.start();
  QString msg;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg));
  const double share = (cpuSeconds() - cpuBefore) / (static_cast<double>(clock.elapsed()) / 1000.0);
  std::cout << "card wait: " << share * 100 << " % of a core" << std::endl;
  // The program's own build stays under 1 %; the sanitizers of the test build cost more.
  EXPECT_LT(share, 0.03);
}

TEST_F(WaitDialog, SessionCancelledInTheDialog) {
  ASSERT_TRUE(reader().ensure());
  cancelLater(100);
  QString msg;
  std::int32_t code = 0;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg, &code));
  EXPECT_EQ(msg, QStringLiteral("取消作業"));
  EXPECT_EQ(code, -21);
}
