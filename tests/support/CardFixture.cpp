#include "support/CardFixture.h"

#include "support/CardSim.h"

#include "core/Settings.h"
#include "device/CurrentReader.h"
#include "device/DeviceSession.h"

#include <QDir>

void CardTest::SetUp() {
  AppTest::SetUp();
  // The simulator library finds its readers under the current folder, like the program's.
  QDir::setCurrent(TheSettings().appPath);
  ResetCardSession();
  EditSettings().batchKey = QStringLiteral("AB12");
  ReinsertTestCardAtEveryWait();
}

void CardTest::TearDown() {
  ResetCardSession();
  AppTest::TearDown();
}

SimReader CardTest::reader(const QString& port) const { return TestReader(port); }

QString CardTest::insertCard(const SimCard& card) const { return InsertTestCard(card); }

SimCard CardTest::slotCard() const { return SlotCard(); }

void DriverTest::SetUp() {
  CardTest::SetUp();
  if (GetParam() == CrwKind::Library) EditSettings().readerLibrary = QStringLiteral(TOLVA_CRWSIM_LIBRARY);
  ResetCardSession();
}
