// Reading the card in the reader without a window: the values as the stripe holds them, the
// refusals, and the card compared with its master row; nothing is written anywhere.
#include "support/CardSim.h"
#include "support/Sql.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Dialect.h"
#include "operations/CardReading.h"

class CardReadingTest : public CardDbTest {
protected:
  void SetUp() override {
    CardDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, IssueDate, GoodThru, BalAmt, "
                                  "BalPoint, IssueDept) VALUES ('V0001', 'V', 'V000001', '11', ?, ?, 1000, 30, '001')"),
                   {gCnn().dialect().dateValue(QDateTime(QDate(2026, 1, 5), QTime(9, 30))),
                    gCnn().dialect().dateValue(QDateTime(QDate(2027, 12, 31), QTime(9, 30)))});
  }
  void TearDown() override {
    EditSettings().calendar = QStringLiteral("YYYY/MM/DD");
    CardDbTest::TearDown();
  }
  static CardCheckOutcome check() { return ReadCardAgainstRecord(OperationContext::Current()); }
  static int rows(const char* table) {
    return Value(gCnn(), QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table)).toInt();
  }
};

TEST_P(CardReadingTest, ReadsTheStripeAsItIsOrSaysWhyNot) {
  InsertRecordCard(QStringLiteral("V00012"), QStringLiteral("01"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("1500"), QStringLiteral("30"));
  CardReadOutcome out = ReadCardInReader();
  ASSERT_TRUE(out.ok) << out.message.toStdString();
  // Card and store numbers come as the stripe holds them, blanks included.
  const CardImage& c = out.card;
  EXPECT_EQ(QStringList({c.cardNo, c.storeNo, c.batchNo, c.goodThru.toString(), c.balAmt, c.balPoint}),
            (QStringList{QStringLiteral("V00012 "), QStringLiteral("01 "), QStringLiteral("V0001"),
                         QStringLiteral("2027/12/31"), QStringLiteral("1500"), QStringLiteral("30")}));
  EXPECT_TRUE(TestReader().slotFile().isEmpty());

  SimCard erased;
  erased.tracks[0] = " ";
  InsertTestCard(erased);
  out = ReadCardInReader();
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.message, QStringLiteral("卡片資料有誤"));
  // A card written under another key does not read back as its values.
  InsertRecordCard(QStringLiteral("V000001"), QStringLiteral("001"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("1500"), QStringLiteral("30"));
  EditSettings().batchKey = QStringLiteral("NEWKEY99");
  out = ReadCardInReader();
  EXPECT_TRUE(!out.ok || out.card.balAmt != QStringLiteral("1500")) << out.card.balAmt.toStdString();
  EditSettings().batchKey = QStringLiteral("AB12");
  dialogs_->cancelWaitAfterPolls = 2;
  EXPECT_EQ(ReadCardInReader().message, QStringLiteral("取消作業"));
  EXPECT_EQ(rows("xxAPLOG") + rows("TolvaLog"), 0);
}

TEST_P(CardReadingTest, ACardIsReportedOnlyWhenItsValuesDiffer) {
  struct Case {
    const char* what;
    QString store, batch, thru, bal, points;
    bool differs;
  };
  const QString s = QStringLiteral("001"), b = QStringLiteral("V0001"), t = QStringLiteral("2027/12/31");
  const QString bal = QStringLiteral("1000"), pts = QStringLiteral("30");
  const std::vector<Case> cases = {
      {"equal", s, b, t, bal, pts, false},
      {"balance", s, b, t, QStringLiteral("999"), pts, true},
      {"points", s, b, t, bal, QStringLiteral("31"), true},
      {"batch", s, QStringLiteral("V0002"), t, bal, pts, true},
      {"store", QStringLiteral("002"), b, t, bal, pts, true},
      {"good-thru", s, b, QStringLiteral("2027/12/30"), bal, pts, true},
  };
  using Result = CardCheckOutcome::Result;
  for (const char* calendar : {"YYYY/MM/DD", "CC/MM/DD"}) {
    EditSettings().calendar = QString::fromLatin1(calendar);
    for (const Case& c : cases) {
      InsertRecordCard(QStringLiteral("V000001"), c.store, c.batch, c.thru, c.bal, c.points);
      const QByteArray before = SlotCard().tracks[0];
      const CardCheckOutcome out = check();
      const std::string where = std::string(calendar) + " " + c.what;
      EXPECT_EQ(SlotCard().tracks[0], before) << where;
      ASSERT_TRUE(out.record) << where;
      EXPECT_EQ(out.record->fields.value(QStringLiteral("txtBalAmt")), bal) << where;  // the database's values
      ASSERT_EQ(out.result, c.differs ? Result::Differs : Result::Matches) << where;
      if (!c.differs) continue;
      EXPECT_EQ(out.message, QStringList({QStringLiteral("卡片資料與資料庫不同"), QStringLiteral("批次號:") + c.batch,
                                          QStringLiteral("發卡部門:") + c.store, QStringLiteral("有效期限:") + c.thru,
                                          QStringLiteral("可用餘額:") + c.bal, QStringLiteral("紅利點數:") + c.points})
                                 .join(QLatin1Char('\n')))
          << where;
    }
  }
  // 100 against 100.0 is the same amount.
  Exec(gCnn(), QStringLiteral("UPDATE Tolva SET BalAmt = 100.0, BalPoint = 2.50"));
  InsertRecordCard(QStringLiteral("V000001"), s, b, t, QStringLiteral("100"), QStringLiteral("2.5"));
  EXPECT_EQ(check().result, Result::Matches);
  EXPECT_EQ(rows("xxAPLOG") + rows("TolvaLog"), 0);
}

TEST_P(CardReadingTest, AnUnknownCardOrAMissingKeyIsSaid) {
  using Result = CardCheckOutcome::Result;
  InsertRecordCard(QStringLiteral("V000009"), QStringLiteral("001"), QStringLiteral("V0001"), QStringLiteral("2027/12/31"),
                   QStringLiteral("5"), QStringLiteral("0"));
  CardCheckOutcome out = check();
  EXPECT_EQ(out.result, Result::NotFound);
  EXPECT_EQ(out.message, QStringLiteral("資料庫無此卡號\n卡號：V000009"));
  EXPECT_FALSE(out.record);

  EditSettings().batchKey.clear();
  dialogs_->clear();
  out = check();
  EXPECT_EQ(out.result, Result::NoCardKey);
  EXPECT_EQ(out.message, QStringLiteral("未設定資料加密碼"));
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("waitForCard")).isEmpty());
}

TOLVA_DB_TEST_SUITE(CardReadingTest);
