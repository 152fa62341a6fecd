#include "support/IssueFixture.h"
#include "support/Sql.h"

#include "core/ClockSeam.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "db/Database.h"

#include <QFile>
#include <QSqlQuery>

OperatorAtReader::OperatorAtReader(ScriptedDialogs& inner) : inner_(inner) { SetDialogs(this); }
OperatorAtReader::~OperatorAtReader() { SetDialogs(&inner_); }

void OperatorAtReader::messageBox(const QString& text, const QString& title, MsgIcon icon) {
  inner_.messageBox(text, title, icon);
}
bool OperatorAtReader::askYesNo(const QString& text, const QString& title) { return inner_.askYesNo(text, title); }
QString OperatorAtReader::inputBox(const QString& prompt, const QString& title, const QString& initial) {
  return inner_.inputBox(prompt, title, initial);
}
void OperatorAtReader::showMessage(const QString& text, int seconds) { inner_.showMessage(text, seconds); }
QString OperatorAtReader::openFileName(const QString& title, const QString& filter, const QString& start) {
  return inner_.openFileName(title, filter, start);
}
QString OperatorAtReader::saveFileName(const QString& title, const QString& filter, const QString& start) {
  return inner_.saveFileName(title, filter, start);
}
QString OperatorAtReader::selectFolder(const QString& title, const QString& start) {
  return inner_.selectFolder(title, start);
}
bool OperatorAtReader::openDocument(const QString& path) { return inner_.openDocument(path); }

bool OperatorAtReader::waitForCard(const std::function<bool()>& poll) {
  ++waits;
  if (cards.empty()) {
    inner_.shown.push_back({QStringLiteral("waitForCard"), QStringLiteral("取消"), QString()});
    return false;
  }
  const auto next = cards.front();
  cards.pop_front();
  next();
  // This operator feeds the reader himself: the script's own insertions do not apply.
  inner_.atCardWait.clear();
  return inner_.waitForCard(poll);
}

void OperatorAtReader::beep() {
  inner_.beep();
  if (!takeOutOnBeep) return;
  const QString file = TestReader().slotFile();
  if (file.isEmpty()) return;
  takenOut.push_back(SlotCard());
  QFile::remove(file);
}

void IssueTest::SetUp() {
  CardDbTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  SetNowForTest(QDateTime(today(), QTime(10, 0)));
  EditSettings().operatorId = QStringLiteral("clerk");
  EditSettings().workstation = QStringLiteral("POS1");
  EditSettings().storeId = QStringLiteral("100");
}

void IssueTest::TearDown() {
  SetNowForTest(QDateTime());
  CardDbTest::TearDown();
}

void IssueTest::addMaster(const QString& cardNo, const QString& status, const QString& bal, const QString& points,
                          const QString& goodThru) {
  CardRow rec;
  rec.BatchNo = QStringLiteral("V0001");
  rec.CardType = QStringLiteral("V");
  rec.CardNo = cardNo;
  rec.Status = status;
  rec.IssueDate = QStringLiteral("2026/01/05");
  rec.GoodThru = goodThru;
  rec.BalAmt = bal;
  rec.BalPoint = points;
  rec.IssueDept = QStringLiteral("001");
  ASSERT_TRUE(InsertCard(rec, gCnn()));
}

void IssueTest::blacklist(const QString& cardNo) {
  BlacklistRow rec;
  rec.CardNo = cardNo;
  rec.Remark = QStringLiteral("遺失");
  ASSERT_TRUE(InsertBlacklistRow(rec, gCnn()));
}

QByteArray IssueTest::record(const QString& cardNo, const QString& goodThru, const QString& bal,
                             const QString& points) {
  return BuildStripeRecord(cardNo, QStringLiteral("001"), QStringLiteral("V0001"), goodThru, bal, points);
}

void IssueTest::insertCard(const QString& cardNo, const QString& goodThru, const QString& bal,
                           const QString& points) {
  InsertRecordCard(cardNo, QStringLiteral("001"), QStringLiteral("V0001"), goodThru, bal, points);
}

QVariant IssueTest::scalar(const QString& sql) const { return Value(gCnn(), sql); }

int IssueTest::count(const QString& sql) const { return scalar(sql).toInt(); }

QString IssueTest::status(const QString& cardNo) const {
  return scalar(QStringLiteral("SELECT Status FROM Tolva WHERE CardNo = ") + QuotText(cardNo)).toString();
}

Money IssueTest::master(const QString& column, const QString& cardNo) const {
  return Money::fromVariant(scalar(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM Tolva WHERE CardNo = ") +
                                   QuotText(cardNo)));
}

QStringList IssueTest::apLog(const QString& action) const {
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT LogMsg, Remark FROM xxAPLOG WHERE ActionID = ") +
                             QuotText(action) + QStringLiteral(" ORDER BY RNo"));
  QStringList rows;
  while (q.next()) rows << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
  return rows;
}

QString UseCardMessageFile() {
  EditSettings().cardMessageFile = TheSettings().appPath + QStringLiteral("/CardMsg.txt");
  QFile out(TheSettings().cardMessageFile);
  EXPECT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("M1\r\nM2\r\nM3\r\nM4\r\nM5\r\nM6\r\n");
  return QStringLiteral("M1\nM2\nM3\nM4\nM5\nM6\n");
}

void SoldCardTest::SetUp() {
  IssueTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  addMaster(card_, QStringLiteral("11"));
  insertCard(card_);
}

QByteArray SoldCardTest::stripe(const QString& bal, const QString& points) const {
  return record(card_, QStringLiteral("2027/12/31"), bal, points);
}

void SoldCardTest::expectMaster(const QString& bal, const QString& points) const {
  EXPECT_EQ(master(QStringLiteral("BalAmt"), card_).toString(), bal);
  EXPECT_EQ(master(QStringLiteral("BalPoint"), card_).toString(), points);
}

void SoldCardTest::expectUntouched(int history) const {
  expectMaster(QStringLiteral("1000"), QStringLiteral("30"));
  EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TolvaLog")), history);
  EXPECT_EQ(SlotCard().tracks[0], stripe(QStringLiteral("1000"), QStringLiteral("30")));
}

void SoldCardTest::history(const QString& type, const QString& amount, const QString& points) {
  JournalRow rec;
  rec.TxnDept = QStringLiteral("100");
  rec.TxnType = type;
  rec.CardNo = card_;
  rec.TxnDate = today();
  rec.TxnAmt = amount;
  rec.TxnPoint = points;
  ASSERT_TRUE(InsertJournalRow(rec, gCnn()));
}
