#pragma once
// Card tests: a fresh application folder whose CardSim folder holds the simulated readers, a
// fresh device session and a known card data key.
#include "device/SimulatorFiles.h"
#include "support/TestEnv.h"

#include <QString>

enum class CrwKind { Simulator, Library };

class CardTest : public AppTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // The reader folder of a port (default: the configured one).
  SimReader reader(const QString& port = QString()) const;
  // Puts a card into the slot of the configured reader and answers its file.
  QString insertCard(const SimCard& card = SimCard{}) const;
  // The card in the slot of the configured reader (empty when there is none).
  SimCard slotCard() const;
};

// The same cases on the built-in simulator and on the simulator library through the loader.
class DriverTest : public CardTest, public ::testing::WithParamInterface<CrwKind> {
protected:
  void SetUp() override;
};

#define TOLVA_DRIVER_TEST_SUITE(Suite)                                                   \
  INSTANTIATE_TEST_SUITE_P(Simulator, Suite, ::testing::Values(CrwKind::Simulator));     \
  INSTANTIATE_TEST_SUITE_P(Library, Suite, ::testing::Values(CrwKind::Library))
