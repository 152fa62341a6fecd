// The store window's writes without the window, on each dialect: a store in use stays, the log
// says what changed, and a store another workstation removed is not written again.
#include "support/TestEnv.h"
#include "support/Sql.h"

#include "db/Connection.h"
#include "operations/StoreSettings.h"

#include <QSqlQuery>

namespace {
QStringList logged() {
  QStringList out;
  QSqlQuery q = Rows(gCnn(), QStringLiteral("Select LogMsg From xxAPLOG Order by RNo"));
  while (q.next()) out << q.value(0).toString();
  return out;
}
}  // namespace

class StoreSettingsTest : public DbTest {};

TEST_P(StoreSettingsTest, AStoreInUseStaysAndAnUnusedOneGoes) {
  const OperationContext ctx = OperationContext::Current();
  for (const char* c : {"001", "002", "003"}) Must(InsertStore(gCnn(), {QString::fromLatin1(c), QStringLiteral("店"), 1}));
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status, IssueDept) VALUES ('V000001', '01', '001')"));
  Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo) VALUES ('002', '21', 'V000009')"));
  for (const char* used : {"001", "002"}) {
    const auto o = RemoveStore(ctx, QString::fromLatin1(used), QStringLiteral("刪除"));
    ASSERT_TRUE(o);
    EXPECT_FALSE(o->ok);
    EXPECT_EQ(o->message, QStringLiteral("此店已有卡片或交易資料，不可刪除"));
  }
  EXPECT_FALSE(gCnn().inTransaction());
  EXPECT_EQ(RemoveStore(ctx, QStringLiteral("003"), QStringLiteral("刪除 003"))->message, QStringLiteral("刪除完成"));
  // Gone meanwhile: nothing to delete and nothing logged.
  EXPECT_EQ(RemoveStore(ctx, QStringLiteral("003"), QStringLiteral("again"))->message, QStringLiteral("無此店代號"));
  EXPECT_EQ(StoreList(ctx)->size(), 2);
  EXPECT_EQ(logged(), QStringList{QStringLiteral("刪除 003")});
}

TEST_P(StoreSettingsTest, SavingAddsAtTheEndAndAChangeToARemovedStoreIsRefused) {
  const OperationContext ctx = OperationContext::Current();
  Must(InsertStore(gCnn(), {QStringLiteral("001"), QStringLiteral("台北店"), 4}));
  ASSERT_TRUE(SaveStore(ctx, {QStringLiteral(" a2 "), QStringLiteral(" 高雄店 "), 0}, QString(), true)->ok);
  EXPECT_EQ(Must(StoreList(ctx)).last(), (QStringList{QStringLiteral("a2"), QStringLiteral("高雄店"), QStringLiteral("5")}));
  const auto gone = SaveStore(ctx, {QStringLiteral("009"), QStringLiteral("無"), 0}, QStringLiteral("1"), false);
  ASSERT_TRUE(gone);
  EXPECT_FALSE(gone->ok);
  EXPECT_EQ(gone->message, QStringLiteral("無此店代號"));
  EXPECT_EQ(logged(), QStringList{QStringLiteral("新增 a2 高雄店 順序:5")});
  // A failed statement is a failure, not an exception.
  Exec(gCnn(), QStringLiteral("DROP TABLE Store"));
  EXPECT_FALSE(StoreList(ctx));
  EXPECT_FALSE(StoreList(ctx).failure.description.isEmpty());
}

TOLVA_DB_TEST_SUITE(StoreSettingsTest);
