// The simulated device itself: asynchronous completion, the card wait, the card file format
// and the panel's moves between deck and slot.
#include "support/CardFixture.h"

#include "core/Settings.h"
#include "device/SimulatedReader.h"

#include <QFile>
#include <QFileInfo>

namespace {

class SimDevice : public CardTest {
protected:
  void SetUp() override {
    CardTest::SetUp();
    handle_ = sim_.CRWOpenDevice("COM1");
    ASSERT_GT(handle_, 0);
  }
  // Polls until done (bounded); the number of polls it took, -1 if it never completed.
  int pollsUntilDone(std::int32_t hFunction, std::int32_t& result, int limit = 50) {
    for (int i = 1; i <= limit; ++i) {
      if (sim_.CRWResultFunction(handle_, hFunction, &result) == 0) return i;
    }
    return -1;
  }

  SimulatedReader sim_{[] { return TheSettings().appPath + QStringLiteral("/CardSim"); }};
  std::int32_t handle_ = 0;
};

}  // namespace

TEST_F(SimDevice, OperationsArePendingBeforeTheyComplete) {
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  EXPECT_EQ(sim_.CRWInitial(handle_, &out, &hFunction, 1), 0);
  ASSERT_GT(hFunction, 0);
  std::int32_t result = 77;
  EXPECT_EQ(pollsUntilDone(hFunction, result), SimulatedReader::kPendingPolls + 1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(sim_.CRWCloseFunction(handle_, hFunction), 1);
  // A released or unknown handle completes at once with an error, so nobody polls forever.
  EXPECT_EQ(sim_.CRWResultFunction(handle_, hFunction, &result), 0);
  EXPECT_NE(result, 0);
  EXPECT_EQ(sim_.CRWResultFunction(handle_ + 100, 1, &result), 0);
  EXPECT_NE(result, 0);
}

TEST_F(SimDevice, CardWaitCompletesWhenACardArrivesOrIsCancelled) {
  std::int32_t state = -5;
  std::int32_t hWait = 0;
  ASSERT_EQ(sim_.CRWWaitForCard(handle_, &state, &hWait), 0);
  std::int32_t result = 0;
  EXPECT_EQ(pollsUntilDone(hWait, result, 20), -1);
  EXPECT_EQ(state, -5);  // untouched while pending
  insertCard();
  EXPECT_EQ(pollsUntilDone(hWait, result), 1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(state, 0);
  sim_.CRWCloseFunction(handle_, hWait);

  // Like the device, a wait takes only a card inserted after it began; ejecting empties the slot.
  ASSERT_EQ(sim_.CRWWaitForCard(handle_, &state, &hWait), 0);
  EXPECT_EQ(pollsUntilDone(hWait, result, 20), -1);
  std::int32_t out = 0;
  std::int32_t hOut = 0;
  ASSERT_EQ(sim_.CRWCardOut(handle_, &out, &hOut), 0);
  std::int32_t outResult = 9;
  EXPECT_GT(pollsUntilDone(hOut, outResult), 0);
  EXPECT_EQ(outResult, 0);
  EXPECT_TRUE(reader().slotFile().isEmpty());
  EXPECT_EQ(reader().deckFiles().size(), 1);
  // Something inserted that is not a card file is refused as an illegal card.
  QFile junk(reader().folder() + QStringLiteral("/junk.card"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
  junk.write("not a card");
  junk.close();
  EXPECT_GT(pollsUntilDone(hWait, result), 0);
  EXPECT_EQ(state, 35);
  sim_.CRWCloseFunction(handle_, hWait);

  QFile::remove(reader().slotFile());
  ASSERT_EQ(sim_.CRWWaitForCard(handle_, &state, &hWait), 0);
  std::int32_t hCancel = 0;
  ASSERT_EQ(sim_.CRWCardCancel(handle_, &out, &hCancel), 0);
  std::int32_t cancelResult = 9;
  EXPECT_GT(pollsUntilDone(hCancel, cancelResult), 0);
  EXPECT_EQ(cancelResult, 0);
  EXPECT_GT(pollsUntilDone(hWait, result), 0);
  EXPECT_NE(result, 0);
}

TEST_F(SimDevice, DeviceNameFitsTheCallersBuffer) {
  const std::int32_t longer = sim_.CRWOpenDevice("READER-NUMBER-12");
  ASSERT_GT(longer, 0);
  char buffer[10];
  std::memset(buffer, 'x', sizeof buffer);
  std::int32_t length = sizeof buffer;
  EXPECT_NE(sim_.CRWGetDeviceName(longer, buffer, &length), 0);
  EXPECT_EQ(length, 9);
  EXPECT_STREQ(buffer, "READER-NU");
  length = sizeof buffer;
  EXPECT_NE(sim_.CRWGetDeviceName(handle_, buffer, &length), 0);
  EXPECT_STREQ(buffer, "COM1");
  EXPECT_EQ(sim_.CRWCountOpen(), 2);
  EXPECT_EQ(sim_.CRWCloseDevice(longer), 1);
  EXPECT_EQ(sim_.CRWCloseDevice(longer), 0);
  EXPECT_EQ(sim_.CRWGetDeviceHandle(0), handle_);
  EXPECT_EQ(sim_.CRWGetDeviceHandle(1), 0);
}

TEST_F(SimDevice, RefusesStripeDataItCannotHold) {
  std::int32_t dataId = 0;
  std::int32_t hFunction = 7;
  EXPECT_NE(sim_.CRWSetMSData(handle_, &dataId, &hFunction, 2, 256, QByteArray(256, 'A').constData()), 0);
  EXPECT_EQ(hFunction, 0);
  EXPECT_NE(sim_.CRWSetMSData(handle_, &dataId, &hFunction, 2, -1, "A"), 0);
  EXPECT_EQ(hFunction, 0);
}

TEST_F(CardTest, HandWrittenCardFileIsRead) {
  // The documented format, written by hand as an operator or another tool would.
  ASSERT_TRUE(reader().ensure());
  QFile f(reader().folder() + QStringLiteral("/mine.card"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(R"({ "track1": "41420a", "track2": "", "track3": "FF", "face": "第一行\n第二行", "fault": "illegal" })");
  f.close();
  const SimCard card = slotCard();
  EXPECT_EQ(card.tracks[0], QByteArray("AB\n"));
  EXPECT_EQ(card.tracks[2], QByteArray("\xFF"));
  EXPECT_EQ(card.face, QStringLiteral("第一行\n第二行"));
  EXPECT_EQ(card.fault, QStringLiteral("illegal"));
  EXPECT_FALSE(SimCard::fromJson("not json").has_value());
}

TEST_F(CardTest, PanelMovesCardsBetweenDeckAndSlot) {
  const SimReader r = reader();
  const QString a = r.newBlankCard();
  const QString b = r.newBlankCard();
  ASSERT_FALSE(a.isEmpty());
  ASSERT_NE(a, b);
  EXPECT_EQ(r.deckFiles().size(), 2);
  EXPECT_TRUE(r.slotFile().isEmpty());

  ASSERT_TRUE(r.insert(a));
  EXPECT_EQ(QFileInfo(r.slotFile()).fileName(), QFileInfo(a).fileName());
  // Inserting another card puts the first one back in the deck: the slot holds one card.
  ASSERT_TRUE(r.insert(b));
  EXPECT_EQ(QFileInfo(r.slotFile()).fileName(), QFileInfo(b).fileName());
  EXPECT_EQ(r.deckFiles(), QStringList{a});

  ASSERT_FALSE(r.takeOut().isEmpty());
  EXPECT_TRUE(r.slotFile().isEmpty());
  EXPECT_EQ(r.deckFiles().size(), 2);
  EXPECT_TRUE(r.takeOut().isEmpty());
}

TEST_F(CardTest, AbsolutePortIsUsedAsItIs) {
  EXPECT_EQ(SimReader::folderFor(QStringLiteral("/x/CardSim"), QStringLiteral("COM3")), QStringLiteral("/x/CardSim/COM3"));
  EXPECT_EQ(SimReader::folderFor(QStringLiteral("/x/CardSim"), QStringLiteral("/dev/reader")), QStringLiteral("/dev/reader"));
  EXPECT_TRUE(SimReader::folderFor(QStringLiteral("/x/CardSim"), QString()).isEmpty());
}
