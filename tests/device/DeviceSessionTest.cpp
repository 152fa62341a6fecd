// The device session on the simulator, built in and loaded as a driver library.
#include "support/CardFixture.h"

#include "core/Settings.h"
#include "device/CurrentReader.h"
#include "device/DeviceSession.h"
#include "device/DeviceSessionSeam.h"
#include "support/CardSim.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <thread>

namespace {

SimCard cardWithFault(const char* fault) {
  SimCard card;
  card.fault = QLatin1String(fault);
  return card;
}

QJsonObject readJson(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(f.readAll()).object();
}

// Opens the session on a card already in the slot, with the track mode set.
void openSessionWithMode() {
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg)) << msg.toStdString();
  std::int32_t option = 4;
  ASSERT_EQ(SetStripeMode(2, option), 0);
}

}  // namespace

using ReaderSession = DriverTest;
TOLVA_DRIVER_TEST_SUITE(ReaderSession);

TEST_P(ReaderSession, CardLeftInTheSlotIsEjectedAndANewInsertionAwaited) {
  insertCard();
  dialogs_->atEveryCardWait = nullptr;
  dialogs_->atCardWait.clear();
  dialogs_->maxPolls = 30;
  QString msg;
  std::int32_t code = 123;
  // Nobody inserts a card: the one left in the slot was ejected and is not taken.
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg, &code));
  EXPECT_EQ(code, -21);
  EXPECT_TRUE(reader().slotFile().isEmpty());
  // The operator inserts it when asked.
  ReinsertTestCardAtEveryWait();
  msg = QStringLiteral("unchanged");
  EXPECT_TRUE(OpenReaderAndWaitForCard(msg, &code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(msg, QStringLiteral("unchanged"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")).size(), 2);
  EXPECT_GT(ReaderHandle(), 0);
}

TEST_P(ReaderSession, DialogWaitsUntilACardArrives) {
  ASSERT_TRUE(reader().ensure());
  // The panel is another process: the card file appears while the dialog polls.
  std::thread operatorHand([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    insertCard();
  });
  QString msg;
  std::int32_t code = 123;
  const bool ok = OpenReaderAndWaitForCard(msg, &code);
  operatorHand.join();
  EXPECT_TRUE(ok) << msg.toStdString();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(dialogs_->texts(QStringLiteral("waitForCard")), QStringList{QStringLiteral("請插入卡片.....")});
}

TEST_P(ReaderSession, CancelledWaitEndsTheOperationAndLeavesNoWaitBehind) {
  ASSERT_TRUE(reader().ensure());
  dialogs_->cancelWaitAfterPolls = 3;
  QString msg;
  std::int32_t code = 0;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg, &code));
  EXPECT_EQ(msg, QStringLiteral("取消作業"));
  EXPECT_EQ(code, -21);

  // The cancelled wait must not take the next card.
  insertCard();
  dialogs_->cancelWaitAfterPolls = -1;
  EXPECT_TRUE(OpenReaderAndWaitForCard(msg, &code));
  EXPECT_EQ(code, 0);
}

TEST_P(ReaderSession, RefusedCardsGiveTheirMessages) {
  const struct {
    const char* fault;
    std::int32_t state;
    const char* message;
  } cases[] = {{kFaultJammed, 31, "卡片已存在"}, {kFaultMisinserted, 33, "卡片沒插好"}, {kFaultIllegal, 35, "非法卡"}};
  for (const auto& c : cases) {
    insertCard(cardWithFault(c.fault));
    QString msg;
    std::int32_t code = 0;
    EXPECT_FALSE(OpenReaderAndWaitForCard(msg, &code)) << c.fault;
    EXPECT_EQ(code, c.state) << c.fault;
    EXPECT_EQ(msg, QString::fromUtf8(c.message)) << c.fault;
  }
}

TEST_P(ReaderSession, SerialPortGetsItsLineSettingsAndKeepsTheRest) {
  ASSERT_TRUE(reader().ensure());
  QFile seed(reader().folder() + QStringLiteral("/reader.json"));
  ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
  seed.write(R"({"dcb": {"BaudRate": 1200, "ByteSize": 7, "Parity": 0, "StopBits": 2, "XonLim": 77, "Flags": 5}})");
  seed.close();
  insertCard();
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  const QJsonObject dcb = readJson(reader().folder() + QStringLiteral("/reader.json")).value("dcb").toObject();
  EXPECT_EQ(dcb.value("BaudRate").toInt(), 9600);
  EXPECT_EQ(dcb.value("ByteSize").toInt(), 8);
  EXPECT_EQ(dcb.value("Parity").toInt(), 2);
  EXPECT_EQ(dcb.value("StopBits").toInt(), 2);
  EXPECT_EQ(dcb.value("XonLim").toInt(), 77);
  EXPECT_EQ(dcb.value("Flags").toInt(), 5);
}

TEST_P(ReaderSession, PortNotBeginningWithComIsOpenedWithoutLineSettings) {
  EditSettings().readerPort = QStringLiteral("USB1");
  insertCard();
  QString msg;
  EXPECT_TRUE(OpenReaderAndWaitForCard(msg)) << msg.toStdString();
  EXPECT_FALSE(QFile::exists(reader().folder() + QStringLiteral("/reader.json")));

  // Lower-case "com" is a serial port all the same.
  EditSettings().readerPort = QStringLiteral("com2");
  insertCard();
  EXPECT_TRUE(OpenReaderAndWaitForCard(msg));
  EXPECT_TRUE(QFile::exists(reader().folder() + QStringLiteral("/reader.json")));
}

TEST_P(ReaderSession, UnopenablePortIsReported) {
  // A plain file where the reader folder should be: the port cannot be opened.
  QDir().mkpath(TheSettings().appPath + QStringLiteral("/CardSim"));
  QFile blocker(TheSettings().appPath + QStringLiteral("/CardSim/COM7"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EditSettings().readerPort = QStringLiteral("COM7");
  QString msg;
  std::int32_t code = 0;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg, &code));
  EXPECT_EQ(msg, QStringLiteral("指定的連接埠無法開啟!!"));
  EXPECT_EQ(code, -99);
  EXPECT_EQ(ReaderHandle(), -1);
  // The device layer answers; it never shows a box of its own.
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty());
}

TEST_P(ReaderSession, RefusedLineSettingsCloseTheDevice) {
  SimReaderSettings settings;
  settings.refuseLineSettings = true;
  ASSERT_TRUE(reader().ensure());
  ASSERT_TRUE(reader().saveSettings(settings));
  insertCard();
  QString msg;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg));
  EXPECT_EQ(msg, QStringLiteral("指定的連接埠無法開啟!!"));
  EXPECT_EQ(CurrentReaderDriver().CRWCountOpen(), 0);
}

TEST_P(ReaderSession, ReaderThatDoesNotInitialiseIsClosed) {
  SimReaderSettings settings;
  settings.offline = true;
  ASSERT_TRUE(reader().ensure());
  ASSERT_TRUE(reader().saveSettings(settings));
  insertCard();
  QString msg;
  EXPECT_FALSE(OpenReaderAndWaitForCard(msg));
  EXPECT_EQ(msg, QStringLiteral("設備無法初始化，請檢查設備是否連接妥當!!"));
  EXPECT_EQ(CurrentReaderDriver().CRWCountOpen(), 0);
  EXPECT_EQ(WaitForCard(), -2);
}

TEST_P(ReaderSession, EachSessionReplacesTheDeviceOnTheSamePort) {
  // A short port name, and a port given as a long absolute folder (a name no short buffer holds).
  for (const QString& port : {QStringLiteral("COM1"), TheSettings().appPath + QStringLiteral("/readers/counter-reader-number-one")}) {
    EditSettings().readerPort = port;
    insertCard();
    QString msg;
    ASSERT_TRUE(OpenReaderAndWaitForCard(msg)) << port.toStdString();
    const std::int32_t first = ReaderHandle();
    ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
    EXPECT_NE(ReaderHandle(), first);
    EXPECT_EQ(CurrentReaderDriver().CRWCountOpen(), 1) << port.toStdString();
    ResetCardSession();
  }
}

TEST_P(ReaderSession, TrackRoutinesCheckTheSessionFirst) {
  QString text = QStringLiteral("junk");
  SetReaderHandleForTest(0);
  EXPECT_EQ(ReadTrack(1, text), -2);
  EXPECT_TRUE(text.isEmpty());
  EXPECT_EQ(WriteTrack(QStringLiteral("x")), -2);
  EXPECT_EQ(EraseFace(), -2);
  SetReaderHandleForTest(-1);
  EXPECT_EQ(ReadTrack(1, text), -1);
  EXPECT_EQ(WriteTrack(QStringLiteral("x")), -1);

  insertCard();
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  text = QStringLiteral("junk");
  EXPECT_EQ(ReadTrack(1, text), -3);
  EXPECT_TRUE(text.isEmpty());
  EXPECT_EQ(WriteTrack(QStringLiteral("x")), -3);
}

TEST_P(ReaderSession, StripeWritesAndReadsBack) {
  SimCard card;
  card.tracks[1] = "TRACK2";
  insertCard(card);
  openSessionWithMode();
  EXPECT_EQ(StripeMode(), 2);
  EXPECT_EQ(StripeOption(), 4);
  EXPECT_EQ(WriteTrack(QStringLiteral("HELLO 1")), 0);
  EXPECT_EQ(slotCard().tracks[0], QByteArray("HELLO 1"));  // the length given, not the padded buffer
  QString text;
  EXPECT_EQ(ReadTrack(1, text), 0);
  EXPECT_EQ(text, QStringLiteral("HELLO 1"));
  EXPECT_EQ(ReadTrack(2, text), 0);
  EXPECT_EQ(text, QStringLiteral("TRACK2"));
  text = QStringLiteral("junk");
  EXPECT_EQ(ReadTrack(3, text), 0);  // empty track
  EXPECT_TRUE(text.isEmpty());
  EXPECT_EQ(ReadTrack(4, text), 0);  // no such track
  EXPECT_TRUE(text.isEmpty());
}

TEST_P(ReaderSession, EmptyTextIsWrittenWithLengthZero) {
  SimCard card;
  card.tracks[0] = "OLD RECORD";
  insertCard(card);
  openSessionWithMode();
  EXPECT_EQ(WriteTrack(QString()), 0);
  EXPECT_TRUE(slotCard().tracks[0].isEmpty());
}

TEST_P(ReaderSession, OverlongStripeDataIsCutToTheBuffer) {
  insertCard();
  openSessionWithMode();
  EXPECT_EQ(WriteTrack(QByteArray(300, 'A')), 0);
  EXPECT_EQ(slotCard().tracks[0], QByteArray(255, 'A'));
}

TEST_P(ReaderSession, StripeFailuresGiveTheirCodes) {
  insertCard(cardWithFault(kFaultWriteFails));
  openSessionWithMode();
  EXPECT_EQ(WriteTrack(QStringLiteral("X")), -33);
  EXPECT_TRUE(slotCard().tracks[0].isEmpty());

  insertCard(cardWithFault(kFaultReadFails));
  QString text = QStringLiteral("junk");
  EXPECT_EQ(ReadTrack(1, text), -32);
  EXPECT_TRUE(text.isEmpty());

  // The card was taken out before the write.
  QFile::remove(reader().slotFile());
  EXPECT_EQ(WriteTrack(QStringLiteral("X")), -33);
}

TEST_P(ReaderSession, PrintAreaIsErasedAndPrinted) {
  SimCard card;
  card.face = QStringLiteral("OLD FACE\n");
  insertCard(card);
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  std::int32_t b = 0;
  std::int32_t c = 459;
  EXPECT_EQ(SetPrintMode(0, b, c), 0);
  EXPECT_EQ(EraseFace(), 0);
  EXPECT_TRUE(slotCard().face.isEmpty());
  std::int32_t x = 0;
  std::int32_t y = 5;
  std::int32_t z = 0;
  EXPECT_EQ(PrintFaceText(x, y, z, QStringLiteral(" 卡號: V000001-001\n 效期: 2027/12/31\n"), {}, QStringLiteral("0"),
                          QStringLiteral("0")),
            0);
  EXPECT_EQ(slotCard().face, QStringLiteral(" 卡號: V000001-001\n 效期: 2027/12/31\n"));
}

TEST_P(ReaderSession, PrintFailuresGiveTheirCodes) {
  insertCard(cardWithFault(kFaultEraseFails));
  QString msg;
  ASSERT_TRUE(OpenReaderAndWaitForCard(msg));
  EXPECT_EQ(EraseFace(), -52);

  SimCard card = cardWithFault(kFaultPrintFails);
  card.face = QStringLiteral("KEPT");
  insertCard(card);
  std::int32_t x = 0;
  std::int32_t y = 5;
  std::int32_t z = 0;
  EXPECT_EQ(PrintFaceText(x, y, z, QStringLiteral("NEW"), {}, QStringLiteral("0"), QStringLiteral("0")), -54);
  EXPECT_EQ(slotCard().face, QStringLiteral("KEPT"));
}
