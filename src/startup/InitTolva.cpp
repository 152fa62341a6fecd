#include "app/InitTolva.h"

#include "app/CodePage.h"
#include "app/ErrorReport.h"
#include "app/Ini.h"
#include "app/TextUtil.h"
#include "app/globals.h"
#include "db/basDB.h"

namespace {

// The built-in key under which the card data key is stored.
const QByteArray kMasterKey = QByteArrayLiteral("KMPW");

QString paramOr(const char* id, const QString& fallback) {
  QString value;
  return getParamValue(QString::fromLatin1(id), value) ? value : fallback;
}

}  // namespace

QString BatchKeyFromStored(const QString& hex) { return CodePage::fromAnsi(Encrypt(HexToStr(hex), kMasterKey)); }

QString BatchKeyToStored(const QString& key) { return StrToHex(Encrypt(CodePage::toAnsi(key), kMasterKey)); }

void InitTolva() {
  try {
    gCardMsgFile = paramOr("CardMsgFile", QStringLiteral("CardMsg.txt"));
    gBatchNo = paramOr("BatchNo", QStringLiteral("V0001")).toUpper();
    gDefCardType = paramOr("DefCardType", QStringLiteral("V")).toUpper();
    QString stored;
    gBatchKey = getParamValue(QStringLiteral("BatchKey"), stored) ? BatchKeyFromStored(stored) : QString();
    gStoreID = paramOr("StoreID", QStringLiteral("000"));
    gBorixPort = GetINI(gIniFile, QStringLiteral("PARAM"), QStringLiteral("BorixPort"));
  } catch (...) {
    ReportError(QStringLiteral("bmMain_InitTolva"));
  }
}
