#include "support/CardSim.h"

#include "device/CurrentReaderSeam.h"
#include "core/Settings.h"
#include "device/CurrentReader.h"
#include "device/DeviceSession.h"
#include "device/DeviceSessionSeam.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "db/ConnectionSeam.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void ResetCardSession() {
  ForgetReaderSessionForTest();
  SetReaderDriverForTest(nullptr);
  ReaderDriver& driver = CurrentReaderDriver();
  for (int guard = 0; guard < 100 && driver.CRWCountOpen() > 0; ++guard) {
    driver.CRWCloseDevice(driver.CRWGetDeviceHandle(0));
  }
}

SimReader TestReader(const QString& port) {
  return SimReader(SimReader::folderFor(TheSettings().appPath + QStringLiteral("/CardSim"), port.isEmpty() ? TheSettings().readerPort : port));
}

namespace {

const QString kTestCardName = QStringLiteral("card-0001");

// The operator puts the named card back into the slot when it is not there.
void reinsert(const QString& name) {
  const SimReader r = TestReader();
  const QString deckFile = r.deckFolder() + QLatin1Char('/') + name + QStringLiteral(".card");
  if (QFileInfo::exists(deckFile)) r.insert(deckFile);
}

void reinsertAtNextWait(const QString& name) {
  if (ScriptedDialogs* dialogs = ScriptedDialogs::current()) dialogs->atCardWait.push_back([name] { reinsert(name); });
}

}  // namespace

void ReinsertTestCardAtEveryWait() {
  if (ScriptedDialogs* dialogs = ScriptedDialogs::current()) dialogs->atEveryCardWait = [] { reinsert(kTestCardName); };
}

QString InsertTestCard(const SimCard& card) {
  const SimReader r = TestReader();
  EXPECT_TRUE(r.ensure());
  const QString file = r.folder() + QLatin1Char('/') + kTestCardName + QStringLiteral(".card");
  QFile::remove(r.deckFolder() + QLatin1Char('/') + kTestCardName + QStringLiteral(".card"));
  EXPECT_TRUE(card.save(file));
  reinsertAtNextWait(kTestCardName);
  return file;
}

QString PresentTestCard(const SimCard& card, const QString& name) {
  const SimReader r = TestReader();
  EXPECT_TRUE(r.ensure());
  const QString file = r.deckFolder() + QLatin1Char('/') + name + QStringLiteral(".card");
  EXPECT_TRUE(card.save(file));
  reinsertAtNextWait(name);
  return file;
}

QString InsertRecordCard(const QString& cardNo, const QString& storeNo, const QString& batchNo,
                         const QString& goodThru, const QString& balAmt, const QString& balPoint) {
  SimCard card;
  card.tracks[0] = BuildStripeRecord(cardNo, storeNo, batchNo, goodThru, balAmt, balPoint);
  return InsertTestCard(card);
}

SimCard TestCard(const QString& name) {
  const SimReader r = TestReader();
  for (const QString& folder : {r.folder(), r.deckFolder()}) {
    if (auto card = SimCard::load(folder + QLatin1Char('/') + name + QStringLiteral(".card"))) return *card;
  }
  return {};
}

bool SaveTestCard(const SimCard& card) {
  const SimReader r = TestReader();
  for (const QString& folder : {r.folder(), r.deckFolder()}) {
    const QString file = folder + QLatin1Char('/') + kTestCardName + QStringLiteral(".card");
    if (QFileInfo::exists(file)) return card.save(file);
  }
  return false;
}

SimCard SlotCard() {
  const QString file = TestReader().slotFile();
  if (!file.isEmpty()) return SimCard::load(file).value_or(SimCard{});
  return TestCard(kTestCardName);
}

void CardDbTest::SetUp() {
  DbTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  // The simulator library finds its readers under the current folder, like the program's.
  QDir::setCurrent(TheSettings().appPath);
  ResetCardSession();
  EditSettings().batchKey = QStringLiteral("AB12");
}

void CardDbTest::TearDown() {
  SetStatementHookForTest(nullptr);
  ResetCardSession();
  DbTest::TearDown();
}

bool ReadTestCardStripe(StripeValues& v, QString& msg) {
  bool ok = false;
  if (OpenReaderAndWaitForCard(msg)) {
    QByteArray record;
    ok = ReadStripeRecord(record, msg) &&
         DecodeStripeRecord(record, v.cardNo, v.storeNo, v.batchNo, v.goodThru, v.balAmt, v.balPoint, msg);
  }
  EjectCard();
  return ok;
}
