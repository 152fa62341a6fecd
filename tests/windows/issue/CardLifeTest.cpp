// Cards taken through their lives by the windows alone: afterwards the reconciliation finds
// nothing, the liability of the day is what the master rows hold, each card carries its master
// row's values, and a copy of the database to the server holds the same and goes on numbering.
#include "support/CardLifeFixture.h"
#include "support/Sql.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "ledger/CardCodes.h"
#include "ledger/ReportQueries.h"
#include "windows/issue/IssueWindow.h"

#include <QLineEdit>

class CardLifeTest : public CardLifeFixture {};

TEST_P(CardLifeTest, CardsChangedByTheWindowsLeaveNothingToReconcile) {
  liveThroughWindows();
  ASSERT_FALSE(HasFatalFailure());

  // Every window did its work: one journal row each.
  EXPECT_EQ(journalTypes(), (QStringList{"11", "11", "13", "13", "21", "21", "22", "23", "32", "31", "31", "99", "12", "81"}))
      << dialogs_->texts(QStringLiteral("showMessage")).join(QLatin1Char(';')).toStdString();
  EXPECT_EQ(status(first_), CardStatus::Blacklisted);
  EXPECT_EQ(status(second_), CardStatus::Erased);
  EXPECT_EQ(status(replacement_), CardStatus::Reissued);
  expectCardsMatchMaster();

  EXPECT_EQ(Must(SelectDisagreements(gCnn())).size(), 0);
  // Only the replacement is live today, with the first card's value.
  const Liability l = Must(ComputeLiability(gCnn(), today()));
  EXPECT_EQ(l.total.cards, 1);
  EXPECT_EQ(l.total.balance, master(QStringLiteral("BalAmt"), replacement_));
  EXPECT_EQ(l.total.points, master(QStringLiteral("BalPoint"), replacement_));
}

TEST_P(CardLifeTest, TheCopyOnTheServerHoldsTheSameAndGoesOnNumbering) {
  EmptyPgSchema server;
  if (!server.made()) GTEST_SKIP() << "TOLVA_TEST_PG names no PostgreSQL server";
  liveThroughWindows();
  importStoreDay(today(), {QStringLiteral("'002','21','%1',#2026/12/08#,40,0,,").arg(replacement_)});
  ASSERT_FALSE(HasFatalFailure());

  QStringList lines;
  QString errors;
  ASSERT_EQ(RunProgram(dir_->path(), cnt_, {QStringLiteral("--copy-database"), server.connectionString()}, lines, &errors), 0)
      << errors.toStdString();
  Connection copy;
  Must(copy.open(server.connectionString()));
  for (const char* table : {"Tolva", "TolvaLog", "VoidCard", "TolvaImport", "xxAPLOG", "xxNO", "xxPARAM", "Store"}) {
    const QString count = QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table);
    EXPECT_EQ(Value(copy, count).toInt(), Value(gCnn(), count).toInt()) << table;
  }
  for (const char* sum : {"SELECT SUM(BalAmt) FROM Tolva", "SELECT SUM(BalPoint) FROM Tolva", "SELECT SUM(TxnAmt) FROM TolvaLog",
                          "SELECT SUM(TxnPoint) FROM TolvaLog"}) {
    EXPECT_EQ(Money::fromVariant(Value(copy, QString::fromLatin1(sum))), Money::fromVariant(Value(gCnn(), QString::fromLatin1(sum))))
        << sum;
  }
  EXPECT_TRUE(Must(SelectDisagreements(copy)).isEmpty());
  copy.close();

  // The workstation moves to the server and issues the next card.
  gCnn().close();
  ASSERT_TRUE(OpenConnection(server.connectionString(), gCnn(), [](const QString&) { return false; }));
  SetDBType();
  files_ << TestReader().newBlankCard();
  IssueWindow issue;
  issue.txtCardType()->setText(QStringLiteral("V"));
  issue.txtCardCnt()->setText(QStringLiteral("1"));
  issue.txtStoreID()->setText(QStringLiteral("001"));
  issue.txtBalAmt()->setText(QStringLiteral("100"));
  atNextWait(files_.last());
  issue.issueCards();
  EXPECT_EQ(cardNoOn(files_.last()), QStringLiteral("V000003"));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = 'V000003'")).toInt(), 1);
  gCnn().close();
}

TOLVA_DB_TEST_SUITE(CardLifeTest);
