#include "core/Settings.h"
#include "support/Sql.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Database.h"
#include "db/Parameters.h"
#include "ledger/Stores.h"
#include "support/TestEnv.h"

#include <QSqlQuery>

namespace {
// With standard_conforming_strings off, \' inside a literal is an escaped quote: quoting that
// only doubles apostrophes would end the literal one quote later and run the rest.
const QString kStoreName = QStringLiteral("\\',1);DELETE FROM Store;--");
const QString kReason = QStringLiteral("\\');DELETE FROM Tolva;--");

QStringList column(const QString& sql) {
  QStringList out;
  QSqlQuery q = Rows(gCnn(), sql);
  while (q.next()) out << q.value(0).toString();
  return out;
}
}  // namespace

class HostileTextTest : public NonConformingServerTest {};

TEST_P(HostileTextTest, BackslashesAndQuotesAreStoredLiterallyAndNothingElseChanges) {
  if (isPostgres()) {
    ASSERT_EQ(serverDefault(), QStringLiteral("off"));
    EXPECT_EQ(Value(gCnn(), QStringLiteral("SHOW standard_conforming_strings")).toString(), QStringLiteral("on"));
  }
  Must(InsertStore(gCnn(), {QStringLiteral("001"), QStringLiteral("台北店"), 1}));
  CardRow card;
  card.CardNo = QStringLiteral("V000001");
  card.Status = QStringLiteral("11");
  ASSERT_TRUE(InsertCard(card, gCnn()));

  // A store name: as the store window writes it, and in a statement built with QuotText.
  Must(InsertStore(gCnn(), {QStringLiteral("A2"), kStoreName, 2}));
  ASSERT_EQ(Must(UpdateStore(gCnn(), {QStringLiteral("001"), kStoreName, 1})), 1);
  Exec(gCnn(), QStringLiteral("INSERT INTO Store ( StoreID, StoreName, ListNo ) VALUES ( 'A3', ") + QuotText(kStoreName) +
                 QStringLiteral(", 3) "));
  // A remark and a blacklist reason: the record writers, the master row's update, a
  // parameter and the application log.
  CardRow second = card;
  second.CardNo = QStringLiteral("V000002");
  second.Remark = kReason;
  ASSERT_TRUE(InsertCard(second, gCnn()));
  JournalRow log;
  log.TxnType = QStringLiteral("99");
  log.CardNo = QStringLiteral("V000001");
  log.Remark = kReason;
  ASSERT_TRUE(InsertJournalRow(log, gCnn()));
  BlacklistRow gone;
  gone.CardNo = QStringLiteral("V000001");
  gone.Remark = kReason;
  ASSERT_TRUE(InsertBlacklistRow(gone, gCnn()));
  Exec(gCnn(), QStringLiteral("Update Tolva Set Status = '99' , Remark = ") + QuotText(kReason) +
                 QStringLiteral(" Where CardNo = ") + QuotText(QStringLiteral("V000001")));
  ASSERT_TRUE(SetParamValue(QStringLiteral("Note"), kReason));
  WriteActivityLog(TheSettings().appName, QStringLiteral("黑名單"), kReason, kReason);
  EXPECT_TRUE(dialogs_->shown.empty());

  EXPECT_EQ(column(QStringLiteral("SELECT StoreID || ' ' || StoreName FROM Store ORDER BY StoreID")),
            (QStringList{QStringLiteral("001 ") + kStoreName, QStringLiteral("A2 ") + kStoreName, QStringLiteral("A3 ") + kStoreName}));
  EXPECT_EQ(column(QStringLiteral("SELECT CardNo || ' ' || Status || ' ' || Remark FROM Tolva ORDER BY CardNo")),
            (QStringList{QStringLiteral("V000001 99 ") + kReason, QStringLiteral("V000002 11 ") + kReason}));
  EXPECT_EQ(column(QStringLiteral("SELECT Remark FROM TolvaLog")), QStringList{kReason});
  EXPECT_EQ(column(QStringLiteral("SELECT Remark FROM VoidCard")), QStringList{kReason});
  QString note;
  EXPECT_TRUE(ReadParamValue(QStringLiteral("Note"), note));
  EXPECT_EQ(note, kReason);
  EXPECT_EQ(column(QStringLiteral("SELECT LogMsg FROM xxAPLOG")), QStringList{kReason});
  EXPECT_EQ(column(QStringLiteral("SELECT Remark FROM xxAPLOG")), QStringList{kReason});
  // Looked up by that text, the rows are found.
  QString name;
  EXPECT_TRUE(Must(StoreExists(gCnn(), QStringLiteral("A2"), &name)));
  EXPECT_EQ(name, kStoreName);
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM Store WHERE StoreName = ?"), {kStoreName}).toInt(), 3);
}

TEST_P(HostileTextTest, SessionOpenedAgainAfterALossIsSetUpAsTheFirst) {
  if (!isPostgres()) GTEST_SKIP() << "an embedded database has no session to lose";
  endSession(sessionPid());
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SHOW standard_conforming_strings")).toString(), QStringLiteral("on"));
  Must(InsertStore(gCnn(), {QStringLiteral("A2"), kStoreName, 2}));
  Exec(gCnn(), QStringLiteral("INSERT INTO Store ( StoreID, StoreName, ListNo ) VALUES ( 'A3', ") + QuotText(kStoreName) +
                 QStringLiteral(", 3) "));
  EXPECT_EQ(column(QStringLiteral("SELECT StoreName FROM Store ORDER BY StoreID")), QStringList(2, kStoreName));
}

TOLVA_DB_TEST_SUITE(HostileTextTest);
