// The store-file reader on any bytes: a file either fails with the line at fault, or yields
// only values that fit the journal's columns (kind, length, the store and the file's day).
#include "FuzzSupport.h"

#include "core/Money.h"
#include "ledger/StoreFile.h"

#include <QRegularExpression>

namespace {

const QDate kFileDay(2026, 3, 5);
const QString kStore = QStringLiteral("001");

struct Column {
  const char* name;
  StoreValue::Kind kind;
  int maxChars;
};

// The journal's columns as the import binds them.
constexpr Column kColumns[] = {
    {"TxnDept", StoreValue::Kind::Text, 10},   {"TxnType", StoreValue::Kind::Text, 2},
    {"CardNo", StoreValue::Kind::Text, 20},    {"TxnDate", StoreValue::Kind::Date, 0},
    {"TxnAmt", StoreValue::Kind::Number, 0},   {"TxnPoint", StoreValue::Kind::Number, 0},
    {"RefCheckNo", StoreValue::Kind::Text, 50}, {"POSID", StoreValue::Kind::Text, 64},
    {"UserID", StoreValue::Kind::Text, 64},    {"Remark", StoreValue::Kind::Text, 500},
    {"FileDate", StoreValue::Kind::Date, 0},
};

const Column* column(const QString& name) {
  for (const Column& c : kColumns)
    if (name == QLatin1String(c.name)) return &c;
  return nullptr;
}

void checkValue(const Column& col, const StoreValue& v) {
  if (v.kind == StoreValue::Kind::Null) return;
  FUZZ_CHECK(v.kind == col.kind);
  switch (v.kind) {
    case StoreValue::Kind::Text:
      FUZZ_CHECK(v.text.size() <= col.maxChars);
      break;
    case StoreValue::Kind::Number: {
      // A plain decimal that the database takes as it is.
      static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,14}(\\.[0-9]{1,4})?$"));
      FUZZ_CHECK(number.match(v.text).hasMatch());
      const std::optional<Money> m = Money::parse(v.text);
      FUZZ_CHECK(m && m->toString() == v.text);
      break;
    }
    case StoreValue::Kind::Date:
      FUZZ_CHECK(v.date.isValid());
      break;
    case StoreValue::Kind::Null:
      break;
  }
}

void checkBlock(const StoreBlock& block) {
  FUZZ_CHECK(!block.columns.isEmpty() && block.columns.first() == QLatin1String("TxnDept"));
  FUZZ_CHECK(QStringList(block.columns).removeDuplicates() == 0);
  for (const QList<StoreValue>& row : block.rows) {
    FUZZ_CHECK(row.size() == block.columns.size());
    FUZZ_CHECK(row[0].kind == StoreValue::Kind::Text && row[0].text == kStore);
    bool onTheDay = false;
    for (qsizetype c = 0; c < row.size(); ++c) {
      const Column* col = column(block.columns[c]);
      FUZZ_CHECK(col != nullptr);
      checkValue(*col, row[c]);
      if (block.columns[c] == QLatin1String("TxnDate")) onTheDay = row[c].date.date() == kFileDay;
    }
    FUZZ_CHECK(onTheDay);
  }
}

// A file name the reader takes names its day and store, and is rebuilt from them.
void checkFileName(const QString& name) {
  const std::optional<StoreFileName> parsed = ParseStoreFileName(name);
  if (!parsed) return;
  FUZZ_CHECK(parsed->txnDate.isValid() && !parsed->storeName.isEmpty());
  const QString rebuilt = QStringLiteral("DD") + parsed->txnDate.toString(QStringLiteral("yyyyMMdd")) +
                          QLatin1Char('_') + parsed->storeName + QStringLiteral("_TL.TXT");
  FUZZ_CHECK(rebuilt.compare(name, Qt::CaseInsensitive) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = fuzz::bytes(data, size);
  checkFileName(QString::fromUtf8(bytes.left(bytes.indexOf('\n'))));

  QString error;
  const std::optional<StoreFileContent> content = ParseStoreFile(bytes, kFileDay, kStore, error);
  if (!content) {
    FUZZ_CHECK(!error.isEmpty());
    return 0;
  }
  for (const StoreBlock& block : content->blocks) checkBlock(block);
  return 0;
}
