// The stripe record decoder, on bytes as read from track 1: anything but a record fails with
// "卡片資料有誤"; a record decodes to fields that encode to the same bytes whenever the bytes are
// in the form the encoder writes, and encoding what was decoded is stable.
#include "FuzzSupport.h"

#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/Text.h"
#include "core/Settings.h"
#include "device/StripeRecord.h"

namespace {

constexpr int kRecordLength = 57;

// Card data keys as the settings window allows them, and one with a character past Latin-1.
const QString kKeys[] = {QStringLiteral("TOLVA2026"), QStringLiteral("k"), QStringLiteral("0123456789abcdef"),
                         QStringLiteral("鑰匙key")};

struct Fields {
  QString cardNo, storeNo, batchNo, goodThru, balAmt, balPoint;
  bool operator==(const Fields&) const = default;
};

bool decode(const QByteArray& record, Fields& f) {
  QString msg;
  const bool ok = DecodeStripeRecord(record, f.cardNo, f.storeNo, f.batchNo, f.goodThru, f.balAmt, f.balPoint, msg);
  if (!ok) FUZZ_CHECK(msg == QStringLiteral("卡片資料有誤"));
  return ok;
}

QByteArray encode(const Fields& f) {
  return BuildStripeRecord(f.cardNo, f.storeNo, f.batchNo, f.goodThru, f.balAmt, f.balPoint);
}

QByteArray keyBytes() {
  for (const QChar c : TheSettings().batchKey)
    if (c.unicode() > 0xFF) return CodePage::toAnsi(TheSettings().batchKey);
  return TheSettings().batchKey.toLatin1();
}

// Text in the code page that reads back as the same bytes.
bool cleanText(const QByteArray& bytes) { return CodePage::toAnsi(CodePage::fromAnsi(bytes)) == bytes; }

// A value field as the encoder writes it: 16 upper-case hex digits whose plain text is clean
// and has no leading blank (the decoder trims blanks, the encoder pads at the end only).
bool canonicalValue(const QByteArray& hex) {
  for (const char c : hex)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  const QByteArray plain = Encrypt(HexToBytes(QString::fromLatin1(hex)), keyBytes());
  return cleanText(plain) && !plain.startsWith(' ');
}

// A good-thru field the encoder would write as it is: a date in its own form, or no date at all.
bool canonicalDate(const QByteArray& bytes) {
  const QString text = CodePage::fromAnsi(bytes);
  const std::optional<QDateTime> when = ToDateTime(text);
  return !when || when->date().toString(QStringLiteral("yyyy/MM/dd")) == text;
}

bool canonical(const QByteArray& r) {
  return cleanText(r.mid(0, 7)) && cleanText(r.mid(7, 3)) && cleanText(r.mid(10, 5)) && cleanText(r.mid(15, 10)) &&
         canonicalDate(r.mid(15, 10)) &&
         canonicalValue(r.mid(25, 16)) && canonicalValue(r.mid(41, 16));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray record = fuzz::bytes(data, size);
  EditSettings().batchKey = kKeys[fuzz::takeSelector(record) % std::size(kKeys)];

  Fields fields;
  if (!decode(record, fields)) {
    FUZZ_CHECK(record.size() != kRecordLength);
    return 0;
  }
  const QByteArray again = encode(fields);
  FUZZ_CHECK(again.size() == kRecordLength);
  if (canonical(record)) FUZZ_CHECK(again == record);

  // Whatever was decoded, its encoding decodes and encodes without further change.
  Fields second;
  FUZZ_CHECK(decode(again, second));
  FUZZ_CHECK(encode(second) == again);
  return 0;
}
