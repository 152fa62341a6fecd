#include "device/StripeRecord.h"

#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Text.h"
#include "core/Settings.h"
#include "device/DeviceSession.h"

namespace {

constexpr int kRecordLength = 57;
constexpr int kTrackMode = 2;
constexpr int kTrackOption = 4;

// The key's characters as they are: their own codes when they fit in a byte.
QByteArray keyBytes() {
  for (const QChar c : TheSettings().batchKey) {
    if (c.unicode() > 0xFF) return CodePage::toAnsi(TheSettings().batchKey);
  }
  return TheSettings().batchKey.toLatin1();
}

QString goodThruText(const QVariant& value) {
  if (const auto when = ToDateTime(value)) return when->date().toString(QStringLiteral("yyyy/MM/dd"));
  return value.toString();
}

// An 8-byte value field, enciphered and in hexadecimal.
QByteArray valueField(const QString& value, const QByteArray& key) {
  return BytesToHex(Encrypt(FitToBytes(value, 8), key)).toLatin1();
}

QString readValueField(const QByteArray& hex, const QByteArray& key) {
  QString text = CodePage::fromAnsi(Encrypt(HexToBytes(QString::fromLatin1(hex)), key));
  // Only blanks are trimmed: other characters are part of what the card holds.
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text[begin] == QLatin1Char(' ')) ++begin;
  while (end > begin && text[end - 1] == QLatin1Char(' ')) --end;
  return text.mid(begin, end - begin);
}

bool setTrackMode() {
  std::int32_t option = kTrackOption;
  return SetStripeMode(kTrackMode, option) == 0;
}

}  // namespace

QByteArray BuildStripeRecord(const QString& cardNo, const QString& storeNo, const QString& batchNo,
                           const QVariant& goodThru, const QString& balAmt, const QString& balPoint) {
  const QByteArray key = keyBytes();
  return FitToBytes(cardNo, 7) + FitToBytes(storeNo, 3) + FitToBytes(batchNo, 5) + FitToBytes(goodThruText(goodThru), 10) +
         valueField(balAmt, key) + valueField(balPoint, key);
}

bool WriteCardValues(const QString& cardNo, const QString& storeNo, const QString& batchNo, const QVariant& goodThru,
                   const QString& balAmt, const QString& balPoint, QString& msg) {
  // A character the code page cannot hold would reach the stripe as another one, and the
  // card could never be matched with its master row again.
  for (const QString& text : {cardNo, storeNo, batchNo, balAmt, balPoint}) {
    if (!FitsCardCodePage(text)) {
      msg = QStringLiteral("卡片資料含有無法寫入磁條的字元");
      return false;
    }
  }
  const QByteArray record = BuildStripeRecord(cardNo, storeNo, batchNo, goodThru, balAmt, balPoint);
  if (!setTrackMode()) {
    msg = QStringLiteral("磁條設定失敗");
    return false;
  }
  // Without a card data key the value fields come out empty; such a card could never be
  // read again, so it is not written.
  if (record.size() != kRecordLength || WriteTrack(record) != 0) {
    msg = QStringLiteral("磁條寫入失敗");
    return false;
  }
  return true;
}

bool WriteStripeRecord(const QByteArray& record) { return setTrackMode() && WriteTrack(record) == 0; }

bool ReadStripeRecord(QByteArray& record, QString& msg) {
  record.clear();
  if (!setTrackMode()) {
    msg = QStringLiteral("磁帶設定失敗!");
    return false;
  }
  if (ReadTrack(1, record) != 0) {
    msg = QStringLiteral("磁帶種類未設定");
    return false;
  }
  return true;
}

bool DecodeStripeRecord(const QByteArray& record, QString& cardNo, QString& storeNo, QString& batchNo,
                      QString& goodThru, QString& balAmt, QString& balPoint, QString& msg) {
  if (record.size() != kRecordLength) {
    msg = QStringLiteral("卡片資料有誤");
    return false;
  }
  const QByteArray key = keyBytes();
  cardNo = CodePage::fromAnsi(record.mid(0, 7));
  storeNo = CodePage::fromAnsi(record.mid(7, 3));
  batchNo = CodePage::fromAnsi(record.mid(10, 5));
  goodThru = CodePage::fromAnsi(record.mid(15, 10));
  balAmt = readValueField(record.mid(25, 16), key);
  balPoint = readValueField(record.mid(41, 16), key);
  return true;
}

bool FitsCardCodePage(const QString& text) { return CodePage::fromAnsi(CodePage::toAnsi(text)) == text; }

bool BlankStripe(QString& msg) {
  if (!setTrackMode()) {
    msg = QStringLiteral("磁條設定失敗");
    return false;
  }
  if (WriteTrack(QByteArray(" ")) != 0) {
    msg = QStringLiteral("清除磁條資料失敗");
    return false;
  }
  return true;
}

bool BlankFace(QString& msg) {
  std::int32_t b = 0;
  std::int32_t c = 459;
  if (SetPrintMode(0, b, c) != 0) {
    msg = QStringLiteral("印字頭設定失敗!");
    return false;
  }
  if (EraseFace() != 0) {
    msg = QStringLiteral("列印視窗無法清除!");
    return false;
  }
  return true;
}

