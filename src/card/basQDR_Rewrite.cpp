#include "card/basQDR_Rewrite.h"

#include "app/ErrorReport.h"
#include "card/basBorixCRW.h"
#include "card/basQDR_Print.h"
#include "card/basQDR_Tolva.h"

namespace {

// The stripe as it is now, to be put back if the face fails.
std::optional<QByteArray> currentRecord() {
  std::int32_t option = 4;
  if (CRW_SetMSMode(2, option) != 0) return std::nullopt;
  QByteArray record;
  if (CRW_ReadMS(1, record) != 0) return std::nullopt;
  return record;
}

}  // namespace

bool QDR_RewriteCard(const CardImage& card, QString& msg) {
  try {
    const auto previous = currentRecord();
    if (!previous) {
      msg = QStringLiteral("磁帶種類未設定");
      return false;
    }
    if (!QDR_WriteCard(card.cardNo, card.storeNo, card.batchNo, card.goodThru, card.balAmt, card.balPoint, msg)) {
      return false;
    }
    if (QDR_PrintCard(card.cardNo, card.storeNo, card.goodThru, card.balAmt, card.balPoint, msg, card.freeText,
                      card.prevBal, card.txnAmt)) {
      return true;
    }
    // The face failed: the stripe goes back to the record the database still agrees with.
    std::int32_t option = 4;
    if (CRW_SetMSMode(2, option) != 0 || CRW_WriteMS(*previous) != 0) {
      LogError(QStringLiteral("QDR_RewriteCard"), QStringLiteral("-33"),
               QStringLiteral("The previous stripe record could not be written back: ") + card.cardNo);
    }
    return false;
  } catch (...) {
    LogError(QStringLiteral("QDR_RewriteCard"));
    return false;
  }
}
