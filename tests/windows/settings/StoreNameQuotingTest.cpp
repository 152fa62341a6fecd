#include "ui/StatusPanel.h"
#include "support/Sql.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "windows/settings/StoreWindow.h"
#include "support/TestEnv.h"

#include <QLineEdit>
#include <QSqlQuery>

// The store window on a server that leaves standard_conforming_strings off by default.
class StoreNameQuotingTest : public NonConformingServerTest {};

TEST_P(StoreNameQuotingTest, TypedStoreNamesWithBackslashQuotesAreStoredLiterally) {
  const QString first = QStringLiteral("\\',1);DELETE FROM Store;--");
  const QString second = QStringLiteral("\\');DELETE FROM Store;--");
  StoreWindow w;
  for (const char* code : {"001", "002"}) {
    w.addStore();
    w.txtStoreID()->setText(QString::fromLatin1(code));
    w.txtStoreName()->setText(first);
    w.txtListNo()->setText(QString());
    w.saveStore();
    EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔完成"));
  }
  w.showStoreRow(1);
  ASSERT_EQ(w.currentCode(), QStringLiteral("001"));
  w.editStore();
  w.txtStoreName()->setText(second);
  w.saveStore();
  EXPECT_EQ(w.elaMsg()->caption(), QStringLiteral("存檔完成"));

  QStringList rows;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("SELECT StoreID, StoreName, ListNo FROM Store ORDER BY StoreID"));
  while (q.next()) rows << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString();
  EXPECT_EQ(rows, (QStringList{QStringLiteral("001 ") + second + QStringLiteral(" 1"), QStringLiteral("002 ") + first + QStringLiteral(" 2")}));
  EXPECT_EQ(w.fgStore()->textMatrix(2, 1), first);
  EXPECT_TRUE(dialogs_->texts(QStringLiteral("messageBox")).isEmpty());
}

TOLVA_DB_TEST_SUITE(StoreNameQuotingTest);
