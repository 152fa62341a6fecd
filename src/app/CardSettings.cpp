#include "app/CardSettings.h"

#include "core/ErrorReport.h"
#include "core/Ini.h"
#include "core/Settings.h"
#include "device/CardKey.h"
#include "db/Parameters.h"

namespace {

QString paramOr(const char* id, const QString& fallback) {
  QString value;
  return getParamValue(QString::fromLatin1(id), value) ? value : fallback;
}

}  // namespace

void LoadCardSettings() {
  try {
    gCardMsgFile = paramOr("CardMsgFile", QStringLiteral("CardMsg.txt"));
    gBatchNo = paramOr("BatchNo", QStringLiteral("V0001")).toUpper();
    gDefCardType = paramOr("DefCardType", QStringLiteral("V")).toUpper();
    QString stored;
    gBatchKey = getParamValue(QStringLiteral("BatchKey"), stored) ? BatchKeyFromStored(stored) : QString();
    gStoreID = paramOr("StoreID", QStringLiteral("000"));
    gBorixPort = GetINI(gIniFile, QStringLiteral("PARAM"), QStringLiteral("BorixPort"));
  } catch (...) {
    ReportError(ErrorLabel());
  }
}
