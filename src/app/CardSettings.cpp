#include "app/CardSettings.h"

#include "core/ErrorReport.h"
#include "core/Ini.h"
#include "core/Settings.h"
#include "device/CardKey.h"
#include "db/Parameters.h"

namespace {

QString paramOr(const char* id, const QString& fallback) {
  QString value;
  return ReadParamValue(QString::fromLatin1(id), value) ? value : fallback;
}

}  // namespace

void LoadCardSettings() {
  try {
    EditSettings().cardMessageFile = paramOr("CardMsgFile", QStringLiteral("CardMsg.txt"));
    EditSettings().batchNo = paramOr("BatchNo", QStringLiteral("V0001")).toUpper();
    EditSettings().defaultCardType = paramOr("DefCardType", QStringLiteral("V")).toUpper();
    QString stored;
    EditSettings().batchKey = ReadParamValue(QStringLiteral("BatchKey"), stored) ? BatchKeyFromStored(stored) : QString();
    EditSettings().storeId = paramOr("StoreID", QStringLiteral("000"));
    EditSettings().readerPort = ReadIniValue(TheSettings().iniFile, QStringLiteral("PARAM"), QStringLiteral("BorixPort"));
  } catch (...) {
    ReportError(ErrorLabel());
  }
}
