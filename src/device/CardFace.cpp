#include "device/CardFace.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Money.h"
#include "device/DeviceSession.h"
#include "device/StripeRecord.h"

namespace {

const QString kRule = QStringLiteral(" -----------------");

// A value right-aligned in the eight positions of the face.
std::optional<QString> amount(const QString& value) {
  if (value.size() > kCardValueWidth) return std::nullopt;
  return value.rightJustified(kCardValueWidth, QLatin1Char(' '));
}

QString goodThruText(const QVariant& goodThru) {
  const auto dt = ToDateTime(goodThru);
  return dt ? dt->toString(QStringLiteral("yyyy/MM/dd")) : goodThru.toString();
}

}  // namespace

bool FitsOnCard(const Money& value) { return value.toString().size() <= kCardValueWidth; }

QString CardValueText(const QVariant& value) {
  if (value.isNull() || value.toString().trimmed().isEmpty()) return {};
  const auto m = Money::parse(value.toString());
  return m ? m->toString() : value.toString().trimmed();
}

std::optional<QString> CardFaceText(const QString& cardNo, const QString& storeNo, const QVariant& goodThru,
                                    const QString& balAmt, const QString& balPoint, const QString& freeText,
                                    const std::optional<QString>& prevBal, const std::optional<QString>& txnAmt) {
  const QChar lf(QLatin1Char('\n'));
  QString face = QStringLiteral(" 卡號: ") + cardNo + QLatin1Char('-') + storeNo + lf;
  face += QStringLiteral(" 效期: ") + goodThruText(goodThru) + lf;
  face += kRule + lf;
  auto line = [&](const QString& label, const std::optional<QString>& value, const QString& unit) -> bool {
    face += label;
    if (value) {
      const auto a = amount(*value);
      if (!a) return false;
      face += *a + unit;
    }
    face += lf;
    return true;
  };
  if (!line(QStringLiteral(" 上期餘額 "), prevBal, QStringLiteral("元"))) return std::nullopt;
  if (!line(QStringLiteral(" 本次交易 "), txnAmt, QStringLiteral("元"))) return std::nullopt;
  if (!line(QStringLiteral(" 目前餘額 "), balAmt, QStringLiteral("元"))) return std::nullopt;
  if (!line(QStringLiteral(" 紅利點數 "), balPoint, QStringLiteral("點"))) return std::nullopt;
  face += kRule + lf;
  return face + freeText;
}

bool PrintCardFace(const QString& cardNo, const QString& storeNo, const QVariant& goodThru, const QString& balAmt,
                   const QString& balPoint, QString& msg, const QString& freeText,
                   const std::optional<QString>& prevBal, const std::optional<QString>& txnAmt) {
  std::int32_t b = 0, c = 459;
  if (SetPrintMode(0, b, c) != 0) {
    msg = QStringLiteral("印字頭設定失敗!");
    return false;
  }
  if (EraseFace() != 0) {
    msg = QStringLiteral("列印視窗無法清除!");
    return false;
  }
  const auto face = CardFaceText(cardNo, storeNo, goodThru, balAmt, balPoint, freeText, prevBal, txnAmt);
  if (!face) {
    msg = QStringLiteral("列印資料失敗!");
    LogError(ErrorLabel(), QStringLiteral("6"), QStringLiteral("Overflow: a value is longer than 8 characters"));
    return false;
  }
  std::int32_t x = 0, y = 5, z = 0;
  if (PrintFaceText(x, y, z, *face, QVariant(), QStringLiteral("0"), QStringLiteral("0")) != 0) {
    msg = QStringLiteral("列印資料失敗!");
    return false;
  }
  return true;
}
