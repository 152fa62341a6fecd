#include "core/Ini.h"
#include "support/Sql.h"
#include "app/CardSettings.h"
#include "ui/CodePicker.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "ledger/Stores.h"
#include "windows/settings/ParametersWindow.h"
#include "support/Screenshot.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTimer>

namespace {
QString param(const QString& id) {
  QString v;
  ReadParamValue(id, v);
  return v;
}

QString iniPort() { return ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("BorixPort")); }

QStringList logRemarks() {
  QStringList out;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("Select ActionID, Remark From xxAPLOG Order by RNo"));
  while (q.next()) out << q.value(0).toString() + QLatin1Char('/') + q.value(1).toString();
  return out;
}
}  // namespace

class SettingParamTest : public DbTest {
protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped()) return;
    writeIni(QStringLiteral("[PARAM]\r\nCustName=好市集\r\nBorixPort=COM1\r\n"));
    Must(InsertStore(gCnn(), {QStringLiteral("000"), QStringLiteral("總公司"), 1}));
    Must(InsertStore(gCnn(), {QStringLiteral("012"), QStringLiteral("台中店"), 3}));
    Must(InsertStore(gCnn(), {QStringLiteral("011"), QStringLiteral("台北店"), 2}));
  }
  void fill(ParametersWindow& w, const QString& store, const QString& port, const QString& limit, const QString& rate) {
    w.txtStoreID()->setText(store);
    w.txtBorixPort()->setText(port);
    w.txtBalAmtLimit()->setText(limit);
    w.txtPointRate()->setText(rate);
  }
};

TEST_P(SettingParamTest, SavedSettingsAreReadBackAtTheNextStart) {
  ParametersWindow w;
  EXPECT_EQ(w.txtStoreID()->text(), QStringLiteral("000"));
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("總公司"));
  EXPECT_EQ(w.txtBorixPort()->text(), QStringLiteral("COM1"));
  EXPECT_TRUE(w.txtBalAmtLimit()->text().isEmpty());

  fill(w, QStringLiteral("012"), QStringLiteral(" COM3 "), QStringLiteral("5000.50"), QStringLiteral("0.0100"));
  w.saveParameters();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔完成"));
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("012"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM3"));
  EXPECT_EQ(param(QStringLiteral("StoreID")), QStringLiteral("012"));
  EXPECT_EQ(param(QStringLiteral("QDR_BalAmtLimit")), QStringLiteral("5000.5"));
  EXPECT_EQ(param(QStringLiteral("QDR_PointRate")), QStringLiteral("0.01"));
  EXPECT_EQ(iniPort(), QStringLiteral("COM3"));
  EXPECT_EQ(ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("CustName")), QStringLiteral("好市集"));
  EXPECT_EQ(logRemarks(), QStringList{QStringLiteral("系統參數設定/")});

  // The next start.
  EditSettings().storeId = QStringLiteral("000");
  EditSettings().readerPort.clear();
  LoadCardSettings();
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("012"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM3"));
  ParametersWindow again;
  EXPECT_EQ(again.txtStoreName()->text(), QStringLiteral("台中店"));
  EXPECT_EQ(again.txtBalAmtLimit()->text(), QStringLiteral("5000.5"));
  EXPECT_EQ(again.txtPointRate()->text(), QStringLiteral("0.01"));

  // Emptying a limit means "not set" again.
  again.txtBalAmtLimit()->clear();
  again.saveParameters();
  QString value;
  EXPECT_FALSE(ReadParamValue(QStringLiteral("QDR_BalAmtLimit"), value));
  EXPECT_EQ(param(QStringLiteral("QDR_PointRate")), QStringLiteral("0.01"));
  EXPECT_EQ(logRemarks().size(), 2);
  SaveScreenshot(&again, QStringLiteral("fmSettingParam"));
}

TEST_P(SettingParamTest, BadValuesAreRefusedAndNothingIsWritten) {
  ParametersWindow w;
  const QList<QPair<QStringList, QString>> cases = {
      {{QStringLiteral("012"), QStringLiteral("abc"), QStringLiteral("1")}, QStringLiteral("請輸入數字")},
      {{QStringLiteral("012"), QStringLiteral("1,000"), QStringLiteral("1")}, QStringLiteral("請輸入數字")},
      {{QStringLiteral("012"), QStringLiteral("-1"), QStringLiteral("1")}, QStringLiteral("不可小於零")},
      {{QStringLiteral("012"), QStringLiteral("100"), QStringLiteral("-0.5")}, QStringLiteral("不可小於零")},
      {{QStringLiteral("012"), QStringLiteral("100"), QStringLiteral("1/2")}, QStringLiteral("請輸入數字")},
      {{QStringLiteral("999"), QStringLiteral("100"), QStringLiteral("1")}, QStringLiteral("無此店代號")},
      {{QStringLiteral("0120"), QStringLiteral("100"), QStringLiteral("1")}, QStringLiteral("店代號最多三個字")},
      {{QString(), QStringLiteral("100"), QStringLiteral("1")}, QStringLiteral("請輸入店代號")},
  };
  for (const auto& [f, message] : cases) {
    fill(w, f[0], QStringLiteral("COM9"), f[1], f[2]);
    w.saveParameters();
    EXPECT_EQ(w.elaMsg()->caption(), message) << f.join(QLatin1Char(',')).toStdString();
  }
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("000"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM1"));
  EXPECT_EQ(iniPort(), QStringLiteral("COM1"));
  EXPECT_EQ(Value(gCnn(), QStringLiteral("Select Count(*) From xxPARAM")).toInt(), 0);
  EXPECT_TRUE(logRemarks().isEmpty());

  // The same checks on leaving the fields; an empty field is always accepted.
  w.txtBalAmtLimit()->setText(QStringLiteral("-3"));
  EXPECT_FALSE(w.checkBalanceLimit());
  w.txtPointRate()->setText(QStringLiteral("0"));
  EXPECT_TRUE(w.checkPointRate());
  w.txtStoreID()->setText(QStringLiteral("011"));
  EXPECT_TRUE(w.checkStore());
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("台北店"));
}

TEST_P(SettingParamTest, AFailedWriteKeepsEveryOldSetting) {
  SetParamValue(QStringLiteral("QDR_BalAmtLimit"), QStringLiteral("100"));
  // The last of the three parameter rows cannot be written.
  if (isPostgres()) {
    Exec(gCnn(), QStringLiteral("CREATE FUNCTION no_rate() RETURNS trigger AS $$ BEGIN "
                                  "IF NEW.ParamID = 'QDR_PointRate' THEN RAISE EXCEPTION 'refused'; END IF; "
                                  "RETURN NEW; END $$ LANGUAGE plpgsql"));
    Exec(gCnn(), QStringLiteral("CREATE TRIGGER no_rate BEFORE INSERT ON xxPARAM FOR EACH ROW EXECUTE FUNCTION no_rate()"));
  } else {
    Exec(gCnn(), QStringLiteral("CREATE TRIGGER no_rate BEFORE INSERT ON xxPARAM WHEN NEW.ParamID = 'QDR_PointRate' "
                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
  }
  ParametersWindow w;
  fill(w, QStringLiteral("011"), QStringLiteral("COM4"), QStringLiteral("200"), QStringLiteral("2"));
  w.saveParameters();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔失敗"));
  EXPECT_EQ(dialogs_->texts(QStringLiteral("messageBox")).size(), 1);
  EXPECT_FALSE(gCnn().inTransaction());
  EXPECT_EQ(param(QStringLiteral("QDR_BalAmtLimit")), QStringLiteral("100"));
  QString value;
  EXPECT_FALSE(ReadParamValue(QStringLiteral("StoreID"), value));
  EXPECT_EQ(iniPort(), QStringLiteral("COM1"));
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("000"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM1"));
  EXPECT_EQ(logRemarks(), QStringList{QStringLiteral("系統參數設定/系統錯誤")});
  EXPECT_EQ(w.txtPointRate()->text(), QStringLiteral("2"));  // the typed values stay
}

TEST_P(SettingParamTest, ARefusedCommitLeavesTheIniAsItWas) {
  refuseCommitsWriting(QStringLiteral("xxPARAM"));
  ParametersWindow w;
  fill(w, QStringLiteral("011"), QStringLiteral("COM4"), QStringLiteral("200"), QStringLiteral("2"));
  w.saveParameters();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔失敗"));
  EXPECT_FALSE(gCnn().inTransaction());
  EXPECT_EQ(iniPort(), QStringLiteral("COM1"));
  EXPECT_EQ(TheSettings().readerPort, QStringLiteral("COM1"));
  EXPECT_EQ(TheSettings().storeId, QStringLiteral("000"));
  EXPECT_TRUE(param(QStringLiteral("QDR_PointRate")).isEmpty());
}

TEST_P(SettingParamTest, F8OpensTheStorePickerInListOrder) {
  ParametersWindow w;
  w.txtStoreID()->clear();
  QTimer::singleShot(50, &w, [] {
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(TheCodePicker().fgCode(), &down);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(TheCodePicker().fgCode(), &enter);
  });
  QKeyEvent f8(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier);
  QApplication::sendEvent(w.txtStoreID(), &f8);
  EXPECT_EQ(TheCodePicker().fgCode()->rowCount(), 3);
  EXPECT_EQ(w.txtStoreID()->text(), QStringLiteral("011"));  // second in list order
  EXPECT_EQ(w.txtStoreName()->text(), QStringLiteral("台北店"));
}

TEST_P(SettingParamTest, LeavingWithUnsavedChangesAsks) {
  ParametersWindow w;
  w.show();
  w.txtBorixPort()->setText(QStringLiteral("COM7"));
  // Another menu button hides the window without asking: the typed value waits for its return.
  w.hide();
  w.show();
  EXPECT_EQ(w.txtBorixPort()->text(), QStringLiteral("COM7"));
  w.closeWindow();  // scripted "No"
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 1);
  w.saveParameters();
  w.closeWindow();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(dialogs_->texts(QStringLiteral("askYesNo")).size(), 1);
}

TOLVA_DB_TEST_SUITE(SettingParamTest);
