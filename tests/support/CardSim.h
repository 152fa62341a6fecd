#pragma once
// The simulated card reader in tests: a fresh device session, the reader folder of the
// configured port under the test's application folder, and cards put into its slot.
#include "device/SimulatorFiles.h"
#include "support/TestEnv.h"

#include <QString>

// Clears the session state, closes every device earlier tests left open and goes back to the
// configured driver.
void ResetCardSession();
// The reader folder of a port (default: TheSettings().readerPort).
SimReader TestReader(const QString& port = QString());
// Puts a card into the slot of the configured reader and answers its file. The reader ejects
// it when an operation opens the reader; the operator then inserts it again at the operation's
// card wait (once per call).
QString InsertTestCard(const SimCard& card = SimCard{});
// Makes the operator put the test card back into the reader at every card wait (for tests that
// run several card operations on one card).
void ReinsertTestCardAtEveryWait();
// Hands the operator a card (it lies in the deck) that he inserts at the next card wait.
QString PresentTestCard(const SimCard& card = SimCard{}, const QString& name = QStringLiteral("card-0001"));
// A card whose stripe holds the record of these values under TheSettings().batchKey, put into the slot.
QString InsertRecordCard(const QString& cardNo, const QString& storeNo, const QString& batchNo,
                         const QString& goodThru, const QString& balAmt, const QString& balPoint);
// The card the test inserted last, in the slot or, once ejected, in the deck (empty when
// there is none).
SimCard SlotCard();
// Replaces the test card, wherever it lies (slot or deck).
bool SaveTestCard(const SimCard& card);
// The card file of that name in the slot or the deck; empty when there is none.
SimCard TestCard(const QString& name);
// The operator inserts the card; its stripe is read through the reader and deciphered, and the
// card ejected. False with `msg` when the card cannot be read or holds no record.
struct StripeValues {
  QString cardNo, storeNo, batchNo, goodThru, balAmt, balPoint;
};
bool ReadTestCardStripe(StripeValues& v, QString& msg);

// Window tests that need both a database of each dialect and the simulated reader. The card
// data key is "AB12".
class CardDbTest : public DbTest {
protected:
  void SetUp() override;
  void TearDown() override;
};
