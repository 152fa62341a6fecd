#pragma once
// The codes the card tables and the application log carry, and the rules on them that more
// than one window applies. Every window names these instead of repeating the literals.
#include <QDate>
#include <QString>

namespace CardStatus {
inline const QString Issued = QStringLiteral("01");
inline const QString Sold = QStringLiteral("11");
inline const QString Reissued = QStringLiteral("12");
inline const QString Erased = QStringLiteral("81");
inline const QString Blacklisted = QStringLiteral("99");
}  // namespace CardStatus

namespace TxnType {
inline const QString Issue = QStringLiteral("11");
inline const QString Reissue = QStringLiteral("12");
inline const QString Sale = QStringLiteral("13");
inline const QString TopUp = QStringLiteral("21");
inline const QString Deduct = QStringLiteral("22");
inline const QString DeductPoint = QStringLiteral("23");
inline const QString CounterSale = QStringLiteral("24");
inline const QString VoidTopUp = QStringLiteral("31");
inline const QString VoidDeduct = QStringLiteral("32");
inline const QString VoidDeductPoint = QStringLiteral("33");
// A good-thru change shares its code with the top-up reversal; it carries no amount.
inline const QString GoodThruChange = QStringLiteral("31");
inline const QString Erase = QStringLiteral("81");
inline const QString Blacklist = QStringLiteral("99");
}  // namespace TxnType

// The journal rows that make up a card's balance and points: the issue ("11"), a
// replacement's opening values ("12"), the "2x" transactions and the "3x" reversals. The
// import's card refresh, the reconciliation and the liability report all sum these rows, so
// that a card's master row and its history cannot be read two ways. An SQL condition on the
// type column `type`.
inline QString BalanceRowCondition(const QString& type = QStringLiteral("TxnType")) {
  return QStringLiteral(" ( %1 In ('11', '12') Or %1 Like '2%' Or %1 Like '3%' ) ").arg(type);
}

// Actions of the application log.
namespace ApAction {
inline const QString Issue = QStringLiteral("發卡");
inline const QString Sale = QStringLiteral("售出");
inline const QString TopUp = QStringLiteral("加值");
inline const QString Deduct = QStringLiteral("扣抵");
inline const QString DeductPoint = QStringLiteral("扣點");
inline const QString Reversal = QStringLiteral("沖正");
inline const QString ReadCard = QStringLiteral("讀卡");
inline const QString ChangeKey = QStringLiteral("變更加密碼");
inline const QString Reissue = QStringLiteral("補發卡");
inline const QString Erase = QStringLiteral("清除");
inline const QString Blacklist = QStringLiteral("設定黑名單");
inline const QString ChangeGoodThru = QStringLiteral("變更有效日期");
inline const QString StoreImport = QStringLiteral("QDR卡交易檔轉入");
inline const QString BlacklistExport = QStringLiteral("黑名單轉出");
}  // namespace ApAction

// The remark of an application-log row whose operation failed.
inline const QString kApFailRemark = QStringLiteral("系統錯誤");
// The remark of a press refused for the operator's input (a bad amount, a declined question).
inline const QString kApRefusedRemark = QStringLiteral("作業拒絕");
// The remark of a row whose operation was committed with the card's face left unprinted.
inline const QString kApReprintRemark = QStringLiteral("卡面待重印");

// The good-thru date a new or topped-up card gets: the last day of the month twelve months
// after `today`.
inline QDate RenewedGoodThru(const QDate& today) { return QDate(today.year(), today.month(), 1).addMonths(13).addDays(-1); }
