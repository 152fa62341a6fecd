// Two workstations, each a process of its own with its own reader, on one database: issuing at
// once, changing one card's value at once, and importing while the other issues.
#include "core/CodePage.h"
#include "support/Sql.h"
#include "core/Money.h"
#include "core/Settings.h"
#include "device/SimulatorFiles.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "ledger/CardQuery.h"
#include "ledger/ReportQueries.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <memory>

namespace {

const QString kStation = QStringLiteral(TOLVA_BIN_DIR "/tests/tolva_station");

// A store day of top-ups of 10 on the given cards, in the store file format.
QByteArray StoreDay(const QDate& day, const QStringList& cards) {
  QString text = QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,TxnType,CardNo,TxnDate,TxnAmt,TxnPoint,RefCheckNo,Remark\r\n");
  for (const QString& card : cards)
    text += QStringLiteral("'001','21','%1',#%2#,10,0,,\r\n").arg(card, day.toString(QStringLiteral("yyyy/MM/dd")));
  return CodePage::toAnsi(text);
}

QString StoreFileName(const QDate& day) { return QStringLiteral("DD%1_台北店_TL.TXT").arg(day.toString(QStringLiteral("yyyyMMdd"))); }

void WriteFile(const QString& file, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(file).absolutePath());
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

class TwoStationsTest : public DbTest {
protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    EditSettings().batchKey = QStringLiteral("AB12");
    Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', '台北店', 1)"));
  }

  // Starts a workstation; `finish` waits for all of them.
  void start(const QString& ws, const QStringList& command) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(kStation, QStringList{path(ws), connectionString(), ws} + command);
    ASSERT_TRUE(p->waitForStarted(10000)) << kStation.toStdString();
    stations_.push_back(std::move(p));
  }
  void finish() {
    for (auto& p : stations_) {
      EXPECT_TRUE(p->state() == QProcess::NotRunning || p->waitForFinished(300000));
      const QString out = QString::fromUtf8(p->readAll());
      EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << out.toStdString();
      EXPECT_EQ(p->exitCode(), 0) << out.toStdString();
    }
    stations_.clear();
  }
  bool anyRunning() {
    bool running = false;
    for (auto& p : stations_) {
      p->waitForFinished(1);
      running = running || p->state() != QProcess::NotRunning;
    }
    return running;
  }
  // The card numbers on the stripes of the cards a workstation's operator holds.
  QStringList cardsOf(const QString& ws) const {
    const SimReader reader(SimReader::folderFor(path(ws) + QStringLiteral("/CardSim"), QStringLiteral("COM1")));
    QStringList out;
    QStringList files = reader.deckFiles();
    if (!reader.slotFile().isEmpty()) files << reader.slotFile();
    for (const QString& f : files) {
      const auto card = SimCard::load(f);
      QString no, store, batch, thru, bal, pts, msg;
      if (card && DecodeStripeRecord(card->tracks[0], no, store, batch, thru, bal, pts, msg)) out << no.trimmed();
    }
    return out;
  }
  QStringList column(const QString& sql) const {
    QStringList out;
    QSqlQuery q = Rows(gCnn(), sql);
    while (q.next()) out << q.value(0).toString();
    return out;
  }
  int count(const QString& sql) const { return Value(gCnn(), sql).toInt(); }
  void addCard(const QString& cardNo, int balance) {
    Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (BatchNo, CardType, CardNo, Status, IssueDate, GoodThru, BalAmt, "
                                  "BalPoint, IssueDept) VALUES ('V0001', 'V', ?, '11', ?, ?, ?, 0, '001')"),
                   {cardNo, gCnn().dialect().dateValue(QDateTime(QDate(2026, 1, 5), QTime(0, 0))),
                    gCnn().dialect().dateValue(QDateTime(QDate(2030, 12, 31), QTime(0, 0))), balance});
    Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint) "
                                  "VALUES ('001', '11', ?, ?, ?, 0)"),
                   {cardNo, gCnn().dialect().dateValue(QDateTime(QDate(2026, 1, 5), QTime(0, 0))), balance});
  }

  std::vector<std::unique_ptr<QProcess>> stations_;
};

TEST_P(TwoStationsTest, IssuingAtOnceNeverGivesANumberTwice) {
  start(QStringLiteral("WS1"), {QStringLiteral("issue"), QStringLiteral("12")});
  start(QStringLiteral("WS2"), {QStringLiteral("issue"), QStringLiteral("12")});
  finish();
  const QStringList masters = column(QStringLiteral("SELECT CardNo FROM Tolva ORDER BY CardNo"));
  EXPECT_EQ(masters.size(), 24);
  EXPECT_EQ(QSet<QString>(masters.begin(), masters.end()).size(), 24);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnType = '11'")), 24);
  // Every card in the operators' hands carries a number of its own, and it is a master row's.
  QStringList onCards = cardsOf(QStringLiteral("WS1")) + cardsOf(QStringLiteral("WS2"));
  onCards.sort();
  EXPECT_EQ(onCards, masters);
  EXPECT_TRUE(Must(SelectDisagreements(gCnn())).isEmpty());
  std::printf("issuing order: %s\n", qPrintable(column(QStringLiteral("SELECT POSID FROM TolvaLog ORDER BY RNo")).join(QLatin1Char(' '))));
}

TEST_P(TwoStationsTest, TopUpsAndDeductionsOnOneCardLoseNoUpdate) {
  addCard(QStringLiteral("V900001"), 10000);
  const QString cardFile = path(QStringLiteral("card.card"));
  SimCard card;
  card.tracks[0] = BuildStripeRecord(QStringLiteral("V900001"), QStringLiteral("001"), QStringLiteral("V0001"),
                                   QStringLiteral("2030/12/31"), QStringLiteral("10000"), QStringLiteral("0"));
  ASSERT_TRUE(card.save(cardFile));
  start(QStringLiteral("WS1"), {QStringLiteral("topup"), cardFile, QStringLiteral("100"), QStringLiteral("15")});
  start(QStringLiteral("WS2"), {QStringLiteral("deduct"), cardFile, QStringLiteral("30"), QStringLiteral("15")});
  // A third station queries the card meanwhile, on statements it keeps prepared: each query sees
  // at least the rows the one before saw, and holds up neither counter.
  qsizetype seen = 0;
  for (int reads = 0; anyRunning() || reads == 0; ++reads) {
    CardQuery shown;
    ASSERT_TRUE(Must(LoadCardQuery(gCnn(), QStringLiteral("V900001"), shown)));
    EXPECT_GE(shown.history.size(), seen);
    seen = shown.history.size();
  }
  finish();
  CardQuery shown;
  ASSERT_TRUE(Must(LoadCardQuery(gCnn(), QStringLiteral("V900001"), shown)));
  EXPECT_EQ(shown.history.size(), 31);
  EXPECT_EQ(Money::fromVariant(shown.balAmt), Money::fromInt(10000 + 15 * 100 - 15 * 30));
  if (!isPostgres()) {
    EXPECT_EQ(count(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")), 0);
  }
  EXPECT_EQ(Money::fromVariant(Value(gCnn(), QStringLiteral("SELECT BalAmt FROM Tolva WHERE CardNo = 'V900001'"))),
            Money::fromInt(10000 + 15 * 100 - 15 * 30));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnType IN ('21', '22')")), 30);
  EXPECT_TRUE(Must(SelectDisagreements(gCnn())).isEmpty());
}

TEST_P(TwoStationsTest, ImportWhileTheOtherIssues) {
  QStringList cards;
  for (int i = 1; i <= 20; ++i) {
    cards << QStringLiteral("X%1").arg(i, 6, 10, QLatin1Char('0'));
    addCard(cards.last(), 0);
  }
  const QString inbox = path(QStringLiteral("inbox"));
  QDir().mkpath(inbox);
  for (int day = 1; day <= 10; ++day) {
    const QDate date(2026, 11, day);
    WriteFile(QDir(inbox).filePath(StoreFileName(date)), StoreDay(date, cards));
  }
  start(QStringLiteral("WS1"), {QStringLiteral("import"), inbox});
  start(QStringLiteral("WS2"), {QStringLiteral("issue"), QStringLiteral("10")});
  finish();
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog WHERE TxnType = '21'")), 200);
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo LIKE 'V%'")), 10);
  EXPECT_EQ(Money::fromVariant(Value(gCnn(), QStringLiteral("SELECT SUM(BalAmt) FROM Tolva WHERE CardNo LIKE 'X%'"))),
            Money::fromInt(20 * 10 * 10));
  EXPECT_TRUE(Must(SelectDisagreements(gCnn())).isEmpty());
}

// Two processes import one store file at once, each from a copy of its own and both from one
// shared folder: the day's rows are there once, the ledger's last import of the day owns them
// all, and the balances are those of one import. Both runs end with exit code 0.
TEST_P(TwoStationsTest, TwoImportsOfOneFileAtOnceLeaveItOnce) {
  QStringList cards;
  for (int i = 1; i <= 5; ++i) {
    cards << QStringLiteral("X%1").arg(i, 6, 10, QLatin1Char('0'));
    addCard(cards.last(), 0);
  }
  constexpr int kRounds = 20;
  for (int round = 0; round < 2 * kRounds; ++round) {
    const bool shared = round % 2 == 1;
    const QDate day = QDate(2026, 9, 1).addDays(round);
    const QStringList inboxes = shared ? QStringList{path(QStringLiteral("shared"))}
                                       : QStringList{path(QStringLiteral("in1")), path(QStringLiteral("in2"))};
    for (const QString& inbox : inboxes) WriteFile(QDir(inbox).filePath(StoreFileName(day)), StoreDay(day, cards));
    start(QStringLiteral("WS1"), {QStringLiteral("import"), inboxes.first()});
    start(QStringLiteral("WS2"), {QStringLiteral("import"), inboxes.last()});
    finish();
    const QVariant date = gCnn().dialect().dateValue(QDateTime(day, QTime(0, 0)));
    const QString ofDay = QStringLiteral(" FROM TolvaLog WHERE TxnDept = '001' AND TxnDate = ?");
    ASSERT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*)") + ofDay, {date}).toInt(), cards.size()) << "round " << round;
    const QVariant last = Value(gCnn(), QStringLiteral("SELECT MAX(RNo) FROM TolvaImport WHERE TxnDate = ?"), {date});
    EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT COUNT(*)") + ofDay + QStringLiteral(" AND ImportNo = ?"), {date, last}).toInt(),
              cards.size());
    EXPECT_EQ(Value(gCnn(), QStringLiteral("SELECT RowCount FROM TolvaImport WHERE RNo = ?"), {last}).toInt(), cards.size());
  }
  for (const QString& card : cards)
    EXPECT_EQ(Money::fromVariant(Value(gCnn(), QStringLiteral("SELECT BalAmt FROM Tolva WHERE CardNo = ?"), {card})),
              Money::fromInt(2 * kRounds * 10));
  EXPECT_TRUE(Must(SelectDisagreements(gCnn())).isEmpty());
}

TOLVA_DB_TEST_SUITE(TwoStationsTest);
