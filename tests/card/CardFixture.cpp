#include "CardFixture.h"

#include "app/globals.h"
#include "card/CrwDevice.h"
#include "card/basBorixCRW.h"

#include <QDir>

namespace {
void resetSession() {
  CRW_hDevice = 0;
  CRW_MSMode = 0;
  CRW_MSOption = 0;
  SetCrwDeviceForTest(nullptr);
}

// Devices earlier tests left open in this process are closed, as in a fresh run.
void closeAllDevices() {
  CrwDriver& driver = CrwDevice();
  for (int guard = 0; guard < 100 && driver.CRWCountOpen() > 0; ++guard) {
    driver.CRWCloseDevice(driver.CRWGetDeviceHandle(0));
  }
}
}  // namespace

void CardTest::SetUp() {
  AppTest::SetUp();
  // The simulator library finds its readers under the current folder, like the program's.
  QDir::setCurrent(gAppPath);
  resetSession();
  closeAllDevices();
  gBatchKey = QStringLiteral("AB12");
}

void CardTest::TearDown() {
  resetSession();
  AppTest::TearDown();
}

SimReader CardTest::reader(const QString& port) const {
  return SimReader(SimReader::folderFor(gAppPath + QStringLiteral("/CardSim"), port.isEmpty() ? gBorixPort : port));
}

QString CardTest::insertCard(const SimCard& card) const {
  const SimReader r = reader();
  EXPECT_TRUE(r.ensure());
  const QString file = r.folder() + QStringLiteral("/card-0001.card");
  EXPECT_TRUE(card.save(file));
  return file;
}

SimCard CardTest::slotCard() const {
  const QString file = reader().slotFile();
  if (file.isEmpty()) return {};
  return SimCard::load(file).value_or(SimCard{});
}

void DriverTest::SetUp() {
  CardTest::SetUp();
  if (GetParam() == CrwKind::Library) gCrwLibrary = QStringLiteral(TOLVA_CRWSIM_LIBRARY);
  closeAllDevices();
}
