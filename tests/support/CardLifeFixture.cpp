#include "support/CardLifeFixture.h"
#include "support/Sql.h"

#include "core/CodePage.h"
#include "core/UserSettings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "device/StripeRecord.h"
#include "windows/counter/MainWindow.h"
#include "windows/counter/MenuWindows.h"
#include "ui/DataGrid.h"
#include "windows/exchange/ImportWindow.h"
#include "windows/inquiry/BlacklistWindow.h"
#include "windows/inquiry/EraseWindow.h"
#include "windows/issue/AddValueWindow.h"
#include "windows/issue/GoodThruWindow.h"
#include "windows/issue/IssueWindow.h"
#include "windows/issue/ReissueWindow.h"
#include "windows/issue/SaleWindow.h"
#include "windows/issue/VoidWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlQuery>
#include <memory>

void CardLifeFixture::SetUp() {
  IssueTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('001', 'main', 1)"));
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES ('002', '台中店', 2)"));
  ASSERT_TRUE(SetParamValue(QStringLiteral("QDR_PointRate"), QStringLiteral("0.01")));
  dialogs_->maxPolls = 200;
  for (int i = 0; i < 3; ++i) files_ << TestReader().newBlankCard();
}

void CardLifeFixture::atNextWait(const QString& file) {
  dialogs_->atCardWait.push_back([file] { TestReader().insert(file); });
}

QString CardLifeFixture::cardNoOn(const QString& file) {
  QString no, store, batch, thru, bal, pts, msg;
  const SimCard card = SimCard::load(file).value_or(SimCard{});
  return DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg) ? no.trimmed() : QString();
}

void CardLifeFixture::expectCardsMatchMaster() const {
  for (const QString& file : files_) {
    QString no, store, batch, thru, bal, pts, msg;
    const SimCard card = SimCard::load(file).value_or(SimCard{});
    if (!DecodeStripeRecord(card.tracks[0], no, store, batch, thru, bal, pts, msg)) continue;  // erased
    EXPECT_EQ(Money::val(bal), master(QStringLiteral("BalAmt"), no.trimmed())) << no.toStdString();
    EXPECT_EQ(Money::val(pts), master(QStringLiteral("BalPoint"), no.trimmed())) << no.toStdString();
  }
}

QStringList CardLifeFixture::journalTypes() const {
  QStringList types;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT TxnType FROM TolvaLog ORDER BY RNo"));
  while (q.next()) types << q.value(0).toString();
  return types;
}

void CardLifeFixture::issueAndSell() {
  IssueWindow issue;
  issue.txtCardType()->setText(QStringLiteral("V"));
  issue.txtCardCnt()->setText(QStringLiteral("2"));
  issue.txtStoreID()->setText(QStringLiteral("001"));
  issue.txtBalAmt()->setText(QStringLiteral("100"));
  atNextWait(files_[0]);
  atNextWait(files_[1]);
  issue.issueCards();
  first_ = cardNoOn(files_[0]);
  second_ = cardNoOn(files_[1]);
  ASSERT_FALSE(first_.isEmpty());
  ASSERT_FALSE(second_.isEmpty());

  SaleWindow sale;
  atNextWait(files_[0]);
  atNextWait(files_[1]);
  sale.sellCards();
}

void CardLifeFixture::counterWork() {
  AddValueWindow addAmt;
  addAmt.txtAddAmt()->setText(QStringLiteral("300"));
  atNextWait(files_[0]);
  addAmt.addValue();

  MainWindow counter;
  auto press = [&](const char* field, const QString& value, void (MainWindow::*handler)()) {
    counter.field(QString::fromLatin1(field))->setText(value);
    atNextWait(files_[0]);
    (counter.*handler)();
  };
  press("txtAmt", QStringLiteral("500"), &MainWindow::topUpCard);
  press("txtAmt", QStringLiteral("200"), &MainWindow::deductAmount);  // earns 2 points
  press("txtPoint", QStringLiteral("2"), &MainWindow::deductPoints);
  counter.cboType()->setCurrentIndex(1);  // 2 沖正扣抵
  press("txtAmtB", QStringLiteral("50"), &MainWindow::reverseTransaction);

  VoidWindow voidTxn;
  voidTxn.txtVoidAmt()->setText(QStringLiteral("100"));
  atNextWait(files_[0]);
  voidTxn.voidTransaction();

  GoodThruWindow goodThru;
  goodThru.txtUpdGoodThru()->setText(QStringLiteral("2029/01/31"));
  atNextWait(files_[0]);
  goodThru.changeGoodThru();
}

void CardLifeFixture::loseAndReplace() {
  BlacklistWindow black;
  black.field(QStringLiteral("txtCardNo"))->setText(first_);
  black.field(QStringLiteral("txtRemark"))->setText(QStringLiteral("lost"));
  dialogs_->yesNoAnswers = {true};
  black.blacklistCard();
  ReissueWindow reIssue;
  reIssue.txtOCardNo()->setText(first_);
  reIssue.txtNewCardType()->setText(QStringLiteral("W"));
  dialogs_->yesNoAnswers = {true};
  atNextWait(files_[2]);
  reIssue.reissueCard();
  replacement_ = cardNoOn(files_[2]);
}

void CardLifeFixture::eraseSecond() {
  EraseWindow erase;
  erase.txtCardNo()->setText(second_);
  atNextWait(files_[1]);
  erase.eraseCard();
}

void CardLifeFixture::liveThroughWindows() {
  issueAndSell();
  if (HasFatalFailure()) return;
  counterWork();
  loseAndReplace();
  eraseSecond();
}

void CardLifeFixture::importStoreDay(const QDate& day, const QStringList& dataLines) {
  const QString inbox = path(QStringLiteral("inbox"));
  QDir().mkpath(inbox);
  QString text = QStringLiteral("TABLECSV,TolvaLog\r\nTxnDept,TxnType,CardNo,TxnDate,TxnAmt,TxnPoint,RefCheckNo,Remark\r\n");
  for (const QString& l : dataLines) text += l + QStringLiteral("\r\n");
  QFile f(QDir(inbox).filePath(QStringLiteral("DD%1_台中店_TL.TXT").arg(day.toString(QStringLiteral("yyyyMMdd")))));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(CodePage::toAnsi(text));
  f.close();
  SaveSetting(QStringLiteral("CardLog"), QStringLiteral("Dir"), inbox);
  std::unique_ptr<ImportWindow> w(qobject_cast<ImportWindow*>(CreateOperationWindow(QStringLiteral("cmdCardLogImport"))));
  ASSERT_TRUE(w);
  w->importFiles();
  ASSERT_EQ(w->fgList()->textMatrix(1, 1), QStringLiteral("轉入OK"));
}
