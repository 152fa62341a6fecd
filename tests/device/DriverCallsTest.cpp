// What the session hands the driver: the exact values of each call, the nine silent polls of
// the card wait, the time limit on a device that stops answering, and unusable libraries.
#include "support/CardFixture.h"

#include "device/DeviceSessionSeam.h"
#include "device/CurrentReaderSeam.h"
#include "core/Settings.h"
#include "device/CurrentReader.h"
#include "device/SimulatedReader.h"
#include "operations/CardOperation.h"
#include "device/DeviceSession.h"
#include "device/CardFace.h"
#include "device/StripeRecord.h"

#include <QElapsedTimer>
#include <QFile>
#include <map>
#include <vector>

namespace {

using I = std::int32_t;

// The simulator with every call of interest recorded.
class SpyDriver final : public ReaderDriver {
public:
  SimulatedReader inner{[] { return TheSettings().appPath + QStringLiteral("/CardSim"); }};
  std::vector<I> setModeArgs, printModeArgs;
  I initialMode = -1;
  I stripeLength = -1;
  QByteArray stripeBuffer, printLine;
  I waitHandle = 0;
  std::map<I, int> polls;  // per function handle
  bool hang = false;       // operations never complete
  bool ejectedLast = false;  // the card was ejected after the last stripe or print call

  I CRWCountOpen() override { return inner.CRWCountOpen(); }
  I CRWGetDeviceHandle(I i) override { return inner.CRWGetDeviceHandle(i); }
  I CRWGetDeviceName(I h, char* b, I* l) override { return inner.CRWGetDeviceName(h, b, l); }
  I CRWOpenDevice(const char* p) override { return inner.CRWOpenDevice(p); }
  I CRWCloseDevice(I h) override { return inner.CRWCloseDevice(h); }
  I CRWGetCommDCBState(I h, Dcb* d) override { return inner.CRWGetCommDCBState(h, d); }
  I CRWSetCommDCBState(I h, const Dcb* d) override { return inner.CRWSetCommDCBState(h, d); }
  I CRWInitial(I h, I* o, I* f, I mode) override {
    initialMode = mode;
    return inner.CRWInitial(h, o, f, mode);
  }
  I CRWWaitForCard(I h, I* s, I* f) override {
    const I r = inner.CRWWaitForCard(h, s, f);
    waitHandle = *f;
    return r;
  }
  I CRWCardCancel(I h, I* o, I* f) override { return inner.CRWCardCancel(h, o, f); }
  I CRWCardOut(I h, I* o, I* f) override {
    ejectedLast = true;
    return inner.CRWCardOut(h, o, f);
  }
  I CRWSetMode(I h, I* o, I* f, I* a, I* b, I* c, I* d, I* e, I* g, I* k) override {
    setModeArgs = {*a, *b, *c, *d, *e, *g, *k};
    return inner.CRWSetMode(h, o, f, a, b, c, d, e, g, k);
  }
  I CRWGetMSData(I h, I* o, I* f, I* m, I* l, char* t) override { return inner.CRWGetMSData(h, o, f, m, l, t); }
  I CRWSetMSData(I h, I* id, I* f, I mode, I length, const char* data) override {
    stripeLength = length;
    ejectedLast = false;
    stripeBuffer = QByteArray(data, 255);
    return inner.CRWSetMSData(h, id, f, mode, length, data);
  }
  I CRWWriteMSData(I h, I id, I* f, I* o) override { return inner.CRWWriteMSData(h, id, f, o); }
  I CRWSetPrintMode(I h, I* o, I* f, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7, I* v8, I* v9, I* v10,
                    I* v11) override {
    printModeArgs = {*v1, *v2, *v3, *v4, *v5, *v6, *v7, *v8, *v9, *v10, *v11};
    return inner.CRWSetPrintMode(h, o, f, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11);
  }
  I CRWErasePrint(I h, I* o, I* f) override { return inner.CRWErasePrint(h, o, f); }
  I CRWPrintData(I h, I* o, I* f, I* x, I* y, I* z, const char* text) override {
    printLine = QByteArray(text);
    ejectedLast = false;
    return inner.CRWPrintData(h, o, f, x, y, z, text);
  }
  I CRWPrint(I h, I* o, I* f, I* o2) override { return inner.CRWPrint(h, o, f, o2); }
  I CRWResultFunction(I h, I f, I* r) override {
    ++polls[f];
    if (hang) return 1;
    return inner.CRWResultFunction(h, f, r);
  }
  I CRWCloseFunction(I h, I f) override { return inner.CRWCloseFunction(h, f); }
};

class DriverCalls : public CardTest {
protected:
  void SetUp() override {
    CardTest::SetUp();
    SetReaderDriverForTest(&spy_);
  }
  void TearDown() override {
    SetReaderOperationTimeoutForTest(0);
    CardTest::TearDown();
  }
  SpyDriver spy_;
};

}  // namespace

TEST_F(DriverCalls, ValuesHandedToTheDevice) {
  insertCard();
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  EXPECT_EQ(spy_.initialMode, 1);

  I option = 4;
  ASSERT_EQ(SetStripeMode(2, option), 0);
  EXPECT_EQ(spy_.setModeArgs, (std::vector<I>{2, 3, 2, 3, 1, 4, 3}));
  option = 6;
  ASSERT_EQ(SetStripeMode(8, option), 0);
  EXPECT_EQ(spy_.setModeArgs, (std::vector<I>{8, 3, 8, 3, 3, 6, 3}));
  EXPECT_EQ(StripeOption(), 6);

  ASSERT_EQ(WriteTrack(QStringLiteral("AB")), 0);
  EXPECT_EQ(spy_.stripeLength, 2);
  EXPECT_EQ(spy_.stripeBuffer, QByteArray("AB") + QByteArray(253, ' '));
  ASSERT_EQ(WriteTrack(QString()), 0);
  EXPECT_EQ(spy_.stripeLength, 0);

  I b = 7;
  I c = 459;
  ASSERT_EQ(SetPrintMode(3, b, c), 0);
  EXPECT_EQ(spy_.printModeArgs, (std::vector<I>{0, 3, 4, 4, 6, 4, 4, 2, 4, 7, 459}));

  I x = 0;
  I y = 5;
  I z = 0;
  ASSERT_EQ(PrintFaceText(x, y, z, QStringLiteral("卡"), {}, QStringLiteral("01"), QStringLiteral("2")), 0);
  EXPECT_EQ(spy_.printLine, QByteArray("\x1b" "e02\xA5\x64"));  // ESC 'e', first characters of P and Q, Big5 "卡"
}

TEST_F(DriverCalls, CardIsEjectedOnEveryWayOut) {
  for (const char* fault : {"", kFaultReadFails, kFaultMisinserted}) {
    SimCard card;
    card.fault = QString::fromLatin1(fault);
    insertCard(card);
    spy_.ejectedLast = false;
    CardOperation op(QStringLiteral("test"), QString());
    op.requireRecord = false;
    QString msg;
    EXPECT_EQ(op.run(msg), QByteArray(fault).isEmpty()) << fault;
    EXPECT_TRUE(spy_.ejectedLast) << fault;
  }
}

TEST_F(DriverCalls, WaitPollsNineTimesBeforeTheDialog) {
  ASSERT_TRUE(reader().ensure());
  dialogs_->cancelWaitAfterPolls = 0;  // the operator cancels at once
  QString msg;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg));
  EXPECT_EQ(spy_.polls[spy_.waitHandle], 9);
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")).size(), 1);
}

TEST_F(DriverCalls, DeviceThatStopsAnsweringFailsInsteadOfHanging) {
  insertCard();
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  I option = 4;
  ASSERT_EQ(SetStripeMode(2, option), 0);
  spy_.hang = true;
  SetReaderOperationTimeoutForTest(150);
  QElapsedTimer clock;
  clock.start();
  QString text;
  EXPECT_EQ(ReadTrack(1, text), -32);
  EXPECT_EQ(WriteTrack(QStringLiteral("X")), -34);
  EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(CardTest, UnusableDriverLibraryIsReportedAsAnUnopenablePort) {
  insertCard();
  for (const QString& library : {QStringLiteral("/nonexistent/libcrw.so"), QStringLiteral("libc.so.6")}) {
    EditSettings().readerLibrary = library;
    QString msg;
    std::int32_t code = 0;
    EXPECT_FALSE(OpenReaderAndWaitForCard(msg, &code)) << library.toStdString();
    EXPECT_EQ(msg, QStringLiteral("指定的連接埠無法開啟!!"));
    EXPECT_EQ(code, -99);
  }
  QFile log(TheSettings().errorLogFile);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromLatin1(log.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("CurrentReaderDriver")));
  EXPECT_TRUE(text.contains(QStringLiteral("CRWOpenDevice")));  // the missing export is named
}
