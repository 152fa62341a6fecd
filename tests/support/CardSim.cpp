#include "support/CardSim.h"

#include "app/globals.h"
#include "card/CrwDevice.h"
#include "card/basBorixCRW.h"
#include "card/basQDR_Tolva.h"

#include <QDir>

void ResetCardSession() {
  CRW_hDevice = 0;
  CRW_MSMode = 0;
  CRW_MSOption = 0;
  SetCrwDeviceForTest(nullptr);
  CrwDriver& driver = CrwDevice();
  for (int guard = 0; guard < 100 && driver.CRWCountOpen() > 0; ++guard) {
    driver.CRWCloseDevice(driver.CRWGetDeviceHandle(0));
  }
}

SimReader TestReader(const QString& port) {
  return SimReader(SimReader::folderFor(gAppPath + QStringLiteral("/CardSim"), port.isEmpty() ? gBorixPort : port));
}

QString InsertTestCard(const SimCard& card) {
  const SimReader r = TestReader();
  EXPECT_TRUE(r.ensure());
  const QString file = r.folder() + QStringLiteral("/card-0001.card");
  EXPECT_TRUE(card.save(file));
  return file;
}

QString InsertRecordCard(const QString& cardNo, const QString& storeNo, const QString& batchNo,
                         const QString& goodThru, const QString& balAmt, const QString& balPoint) {
  SimCard card;
  card.tracks[0] = QDR_BuildRecord(cardNo, storeNo, batchNo, goodThru, balAmt, balPoint);
  return InsertTestCard(card);
}

SimCard SlotCard() {
  const QString file = TestReader().slotFile();
  if (file.isEmpty()) return {};
  return SimCard::load(file).value_or(SimCard{});
}

void CardDbTest::SetUp() {
  DbTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  // The simulator library finds its readers under the current folder, like the program's.
  QDir::setCurrent(gAppPath);
  ResetCardSession();
  gBatchKey = QStringLiteral("AB12");
}

void CardDbTest::TearDown() {
  ResetCardSession();
  DbTest::TearDown();
}
