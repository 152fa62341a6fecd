#pragma once
// The settings of the parameter table that the settings windows show and change: the balance
// limit, the point rate, this installation's store and the card data key.
#include "core/Fetched.h"
#include "operations/OperationContext.h"

#include <QString>

inline const QString kBalAmtLimitParam = QStringLiteral("QDR_BalAmtLimit");
inline const QString kPointRateParam = QStringLiteral("QDR_PointRate");

// The stored text of a parameter, empty when it is not set or cannot be read.
QString ParameterText(const QString& paramID);

// Stores this installation's store, the balance limit and the point rate together. False when
// a row was refused (the refusal is reported); a failure when the transaction was.
Fetched<bool> SaveParameters(const OperationContext& ctx, const QString& storeID, const QString& balAmtLimit,
                             const QString& pointRate);

// True when a card data key other than `key` is stored: cards written under it could no longer
// be read once the key is replaced.
Fetched<bool> OtherCardKeyStored(const OperationContext& ctx, const QString& key);
// Stores the key enciphered, puts it in use and logs the change. Refused with "存檔失敗" when the
// parameter row was not written; done with "加密碼設定完成".
Outcome SaveCardKey(const OperationContext& ctx, const QString& key);
