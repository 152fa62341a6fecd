#pragma once
// Re-issuing a card taken back (erased or blacklisted): a new card carries the old card's
// values under a new number, once per old card.
#include "core/Fetched.h"
#include "core/Money.h"
#include "operations/OperationContext.h"

#include <QString>
#include <QVariant>
#include <optional>

// The old card as the re-issue window shows it.
struct ReissueCardView {
  QString issueDept, storeName;
  QString balAmt, balPoint;
  QVariant goodThru, issueDate;
  QString status, statusDscp;
};
Fetched<std::optional<ReissueCardView>> LoadCardForReissue(const OperationContext& ctx, const QString& cardNo);

// A card remark is at most three characters.
bool ReissueRemarkFits(const QString& remark);

struct ReissueRequest {
  QString oldCardNo;
  QString newCardType;  // the prefix of the new card's number
  QString remark;
  QString faceText;     // the card message printed under the values
};

struct ReissueOutcome {
  enum class Refusal { None, NoCardKey, NoOldCardNo, NoSuchCard, NotReplaceable, Declined, NoCardType, RemarkTooLong };
  bool ok = false;
  Refusal refusal = Refusal::None;  // turned down before a card was asked for, and why
  QString message;
  QString newCardNo;
  bool cancelled = false;  // the operator ended the wait for a card
};

// Checks the old card (asking the operator to confirm), then writes the new card on the blank
// card in the reader.
ReissueOutcome ReissueCard(const OperationContext& ctx, const ReissueRequest& request);
