#pragma once
// The simulated card reader in tests: a fresh device session, the reader folder of the
// configured port under the test's application folder, and cards put into its slot.
#include "card/CrwSimReader.h"
#include "support/TestEnv.h"

#include <QString>

// Clears the session state, closes every device earlier tests left open and goes back to the
// configured driver.
void ResetCardSession();
// The reader folder of a port (default: gBorixPort).
SimReader TestReader(const QString& port = QString());
// Puts a card into the slot of the configured reader and answers its file.
QString InsertTestCard(const SimCard& card = SimCard{});
// A card whose stripe holds the record of these values under gBatchKey, put into the slot.
QString InsertRecordCard(const QString& cardNo, const QString& storeNo, const QString& batchNo,
                         const QString& goodThru, const QString& balAmt, const QString& balPoint);
// The card in the slot of the configured reader (empty when there is none).
SimCard SlotCard();

// Window tests that need both a database of each dialect and the simulated reader. The card
// data key is "AB12".
class CardDbTest : public DbTest {
protected:
  void SetUp() override;
  void TearDown() override;
};
