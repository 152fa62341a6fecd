#include "operations/CardReading.h"

#include "core/Settings.h"
#include "operations/CardAgainstRecord.h"
#include "operations/CardInquiry.h"
#include "operations/CardOperation.h"

namespace {

// The text of a number read from a card that the database does not hold.
const QString kNoSuchCard = QStringLiteral("資料庫無此卡號");

}  // namespace

CardReadOutcome ReadCardInReader() {
  // A card operation of its own, so that it can never close the reader under another one. It
  // has no rows, so nothing is written to the card or the database.
  CardOperation op(QStringLiteral("ReadCard"), QString());
  CardReadOutcome out;
  out.ok = op.run(out.message);
  if (out.ok) out.card = op.card().image;
  return out;
}

CardCheckOutcome ReadCardAgainstRecord(const OperationContext& ctx) {
  using Result = CardCheckOutcome::Result;
  CardCheckOutcome out;
  if (TheSettings().batchKey.isEmpty()) {
    out.result = Result::NoCardKey;
    out.message = QStringLiteral("未設定資料加密碼");
    return out;
  }
  const CardReadOutcome read = ReadCardInReader();
  if (!read.ok) {
    out.result = Result::NotRead;
    out.message = read.message;
    return out;
  }
  out.card = read.card;
  const QString cardNo = read.card.cardNo.trimmed();
  auto fetched = LookUpCard(ctx, cardNo);
  if (!fetched) {
    out.result = Result::LookUpFailed;
    out.message = kDatabaseErrorText;
    out.failure = fetched.failure;
    return out;
  }
  if (!*fetched) {
    out.result = Result::NotFound;
    out.message = kNoSuchCard + QStringLiteral("\n卡號：") + cardNo;
    return out;
  }
  out.record = std::move(**fetched);
  if (CardDiffersFromRecord(read.card, *out.record)) {
    out.result = Result::Differs;
    out.message = CardDifferenceText(read.card);
  } else {
    out.result = Result::Matches;
  }
  return out;
}
