#pragma once
// Windows that sell and change cards: a database of each dialect, the simulated reader, and
// an operator who feeds cards into the reader and takes them out again.
#include "core/Money.h"
#include "core/OperatorDialogs.h"
#include "db/Database.h"
#include "device/SimulatorFiles.h"
#include "operations/OperationContext.h"
#include "support/CardSim.h"

#include <QDate>
#include <QVariant>
#include <deque>
#include <functional>
#include <vector>

// Forwards to the scripted dialogs, and plays the operator at the reader: each card wait
// inserts the next queued card (an empty queue cancels the wait), and each beep of a status
// message takes the card in the slot out (kept in `takenOut`).
class OperatorAtReader final : public OperatorDialogs {
public:
  explicit OperatorAtReader(ScriptedDialogs& inner);
  ~OperatorAtReader() override;

  std::deque<std::function<void()>> cards;
  bool takeOutOnBeep = true;
  std::vector<SimCard> takenOut;
  int waits = 0;

  void messageBox(const QString& text, const QString& title, MsgIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  QString inputBox(const QString& prompt, const QString& title, const QString& initial) override;
  void showMessage(const QString& text, int seconds) override;
  bool waitForCard(const std::function<bool()>& poll) override;
  QString openFileName(const QString& title, const QString& filter, const QString& start) override;
  QString saveFileName(const QString& title, const QString& filter, const QString& start) override;
  QString selectFolder(const QString& title, const QString& start) override;
  bool openDocument(const QString& path) override;
  void beep() override;

private:
  ScriptedDialogs& inner_;
};

class IssueTest : public CardDbTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // A master row issued from store "001" in batch "V0001".
  void addMaster(const QString& cardNo, const QString& status, const QString& bal = QStringLiteral("1000"),
                 const QString& points = QStringLiteral("30"), const QString& goodThru = QStringLiteral("2027/12/31"));
  void blacklist(const QString& cardNo);
  // A card with that stripe record in the slot (store "001", batch "V0001").
  void insertCard(const QString& cardNo, const QString& goodThru = QStringLiteral("2027/12/31"),
                  const QString& bal = QStringLiteral("1000"), const QString& points = QStringLiteral("30"));
  static QByteArray record(const QString& cardNo, const QString& goodThru, const QString& bal, const QString& points);

  QVariant scalar(const QString& sql) const;
  int count(const QString& sql) const;
  QString status(const QString& cardNo) const;
  Money master(const QString& column, const QString& cardNo) const;
  // The application log rows of an action, oldest first, as "text|remark".
  QStringList apLog(const QString& action) const;

  static QDate today() { return QDate(2026, 12, 8); }
  // The context the operations under test run in: the settings SetUp gives this start.
  static OperationContext ctx() {
    return {gCnn(), QStringLiteral("clerk"), QStringLiteral("POS1"), QStringLiteral("100")};
  }
};

// Card V000001, sold with 1000 and 30 points and good thru 2027/12/31, in the reader and in
// its master row.
class SoldCardTest : public IssueTest {
protected:
  void SetUp() override;

  QByteArray stripe(const QString& bal, const QString& points) const;
  void expectMaster(const QString& bal, const QString& points) const;
  // Nothing changed anywhere: master row, journal (beyond its `history` rows), card.
  void expectUntouched(int history = 0) const;
  // An earlier transaction in the card's journal (what a reversal may take back).
  void history(const QString& type, const QString& amount, const QString& points);

  const QString kUnrestoredFace = QStringLiteral("列印資料失敗!；卡號 V000001 的卡面無法回復，請重新列印卡面");
  const QString card_ = QStringLiteral("V000001");
};

// Makes the installation's card message file (in the application folder) six lines long;
// answers how a face ends with them.
QString UseCardMessageFile();
