#include "ledger/StoreFile.h"

#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/Money.h"

#include <QRegularExpression>

namespace {

// A line this long is no store data: refused before it is split.
constexpr int kMaxLineChars = 64 * 1024;

struct ColumnRule {
  const char* name;
  StoreValue::Kind kind;
  int maxChars;  // texts only
};

// The journal's columns a file may name (RNo is the database's own).
constexpr ColumnRule kColumns[] = {
    {"TxnDept", StoreValue::Kind::Text, 10},   {"TxnType", StoreValue::Kind::Text, 2},
    {"CardNo", StoreValue::Kind::Text, 20},    {"TxnDate", StoreValue::Kind::Date, 0},
    {"TxnAmt", StoreValue::Kind::Number, 0},   {"TxnPoint", StoreValue::Kind::Number, 0},
    {"RefCheckNo", StoreValue::Kind::Text, 50}, {"POSID", StoreValue::Kind::Text, 64},
    {"UserID", StoreValue::Kind::Text, 64},    {"Remark", StoreValue::Kind::Text, 500},
    {"FileDate", StoreValue::Kind::Date, 0},
};

const ColumnRule* findColumn(const QString& name) {
  for (const ColumnRule& c : kColumns)
    if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) return &c;
  return nullptr;
}

QString lineError(int line, const QString& what) { return QStringLiteral("第%1行: %2").arg(line).arg(what); }

// The text in the code page, or nothing when the bytes are not text of it (binary noise,
// another encoding).
std::optional<QString> decode(const QByteArray& bytes) {
  // Not a round trip: the code page has characters with two byte forms, and either is good text.
  const QString text = CodePage::fromAnsi(bytes);
  for (const QChar c : text)
    if (c == QChar::ReplacementCharacter || (c.unicode() < 0x20 && c != u'\t' && c != u'\r' && c != u'\n'))
      return std::nullopt;
  return text;
}

QStringList splitLines(const QString& text) {
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final line break
  for (QString& l : lines)
    if (l.endsWith(u'\r')) l.chop(1);
  return lines;
}

// Accepts a value for a column: its kind, its length, the rules on the store and the day.
QString checkValue(const ColumnRule& col, const StoreValue& v) {
  if (v.kind == StoreValue::Kind::Null) return {};
  if (col.kind == StoreValue::Kind::Text && v.kind == StoreValue::Kind::Text) {
    return v.text.size() > col.maxChars ? QStringLiteral("%1 過長").arg(QLatin1String(col.name)) : QString();
  }
  if (col.kind != v.kind) return QStringLiteral("%1 的值型態不符").arg(QLatin1String(col.name));
  return {};
}

class Parser {
public:
  Parser(const QDate& day, const QString& storeID) : day_(day), storeID_(storeID) {}

  std::optional<StoreFileContent> run(const QStringList& lines, QString& error) {
    StoreFileContent content;
    for (int i = 0; i < lines.size(); ++i) {
      const QString& line = lines[i];
      if (line.size() > kMaxLineChars) return fail(error, i, QStringLiteral("資料行過長"));
      if (line.startsWith(QLatin1String("TABLECSV"))) {
        if (i + 1 >= lines.size() || lines[i + 1].isEmpty()) break;  // no column line: reading ends
        QString why;
        StoreBlock block;
        if (!readHeader(line.mid(9).trimmed(), lines[i + 1], block, why)) return fail(error, i + 1, why);
        content.blocks.append(block);
        ++i;
        continue;
      }
      if (content.blocks.isEmpty()) return fail(error, i, QStringLiteral("資料行前沒有表格行"));
      QString why;
      if (!readRow(line, content.blocks.last(), why)) return fail(error, i, why);
    }
    return content;
  }

private:
  static std::nullopt_t fail(QString& error, int index, const QString& why) {
    error = lineError(index + 1, why);
    return std::nullopt;
  }

  bool readHeader(const QString& table, const QString& columnLine, StoreBlock& block, QString& why) {
    if (table.compare(kStoreFileTable, Qt::CaseInsensitive) != 0) {
      why = QStringLiteral("不接受的表格: %1").arg(table.left(40));
      return false;
    }
    rules_.clear();
    for (const QString& raw : columnLine.split(u',')) {
      const ColumnRule* rule = findColumn(raw.trimmed());
      if (!rule) {
        why = QStringLiteral("不接受的欄位: %1").arg(raw.trimmed().left(40));
        return false;
      }
      if (block.columns.contains(QLatin1String(rule->name))) {
        why = QStringLiteral("欄位重複: %1").arg(QLatin1String(rule->name));
        return false;
      }
      block.columns.append(QLatin1String(rule->name));
      rules_.append(rule);
    }
    if (block.columns.first() != QLatin1String("TxnDept")) {
      why = QStringLiteral("第一欄須為 TxnDept");
      return false;
    }
    return true;
  }

  bool readRow(const QString& line, StoreBlock& block, QString& why) {
    const QStringList raw = line.split(u',');
    if (raw.size() != rules_.size()) {
      why = QStringLiteral("值的個數 %1 與欄位數 %2 不符").arg(raw.size()).arg(rules_.size());
      return false;
    }
    QList<StoreValue> row;
    row.reserve(raw.size());
    bool dayChecked = false;
    for (int c = 0; c < raw.size(); ++c) {
      std::optional<StoreValue> v = c == 0 ? StoreValue{StoreValue::Kind::Text, storeID_, {}} : ParseStoreValue(raw[c]);
      if (!v) {
        why = QStringLiteral("無法解讀的值: %1").arg(raw[c].left(40));
        return false;
      }
      why = checkValue(*rules_[c], *v);
      if (!why.isEmpty()) return false;
      if (block.columns[c] == QLatin1String("TxnDate")) {
        // Rows of another day would escape the clean-up of a re-import and be counted twice.
        if (v->kind != StoreValue::Kind::Date || v->date.date() != day_) {
          why = QStringLiteral("TxnDate 不是檔案日期");
          return false;
        }
        dayChecked = true;
      }
      row.append(*v);
    }
    if (!dayChecked) {
      why = QStringLiteral("TxnDate 不是檔案日期");
      return false;
    }
    block.rows.append(row);
    return true;
  }

  QDate day_;
  QString storeID_;
  QList<const ColumnRule*> rules_;
};

}  // namespace

std::optional<StoreFileName> ParseStoreFileName(const QString& fileName) {
  static const QRegularExpression form(QStringLiteral("^DD(\\d{8})_(.+)_TL\\.TXT$"),
                                       QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = form.match(fileName);
  if (!m.hasMatch()) return std::nullopt;
  const QDate day = QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd"));
  if (!day.isValid()) return std::nullopt;
  return StoreFileName{day, m.captured(2)};
}

std::optional<StoreValue> ParseStoreValue(const QString& raw) {
  const QString v = raw.trimmed();
  if (v.isEmpty()) return StoreValue{};
  static const QRegularExpression number(QStringLiteral("^[+-]?\\d{1,14}(\\.\\d{1,4})?$"));
  if (number.match(v).hasMatch()) return StoreValue{StoreValue::Kind::Number, Money::parse(v)->toString(), {}};
  if (v.size() >= 2 && v.startsWith(u'\'') && v.endsWith(u'\'')) {
    const QString inner = v.mid(1, v.size() - 2);
    // Every quote inside must be doubled: a lone one would end the literal early.
    QString text;
    for (int i = 0; i < inner.size(); ++i) {
      if (inner[i] == u'\'') {
        if (i + 1 >= inner.size() || inner[i + 1] != u'\'') return std::nullopt;
        ++i;
      }
      text.append(inner[i]);
    }
    return StoreValue{StoreValue::Kind::Text, text, {}};
  }
  if (v.size() >= 3 && v.startsWith(u'#') && v.endsWith(u'#')) {
    const QString inner = v.mid(1, v.size() - 2);
    static const QRegularExpression dateForm(
        QStringLiteral("^\\d{4}[/-]\\d{1,2}[/-]\\d{1,2}( \\d{1,2}:\\d{2}(:\\d{2})?)?$"));
    if (!dateForm.match(inner).hasMatch()) return std::nullopt;
    const std::optional<QDateTime> t = ToDateTime(inner);
    if (!t || !t->isValid()) return std::nullopt;
    return StoreValue{StoreValue::Kind::Date, {}, *t};
  }
  return std::nullopt;
}

int StoreFileContent::rowCount() const {
  int n = 0;
  for (const StoreBlock& b : blocks) n += int(b.rows.size());
  return n;
}

std::optional<StoreFileContent> ParseStoreFile(const QByteArray& bytes, const QDate& fileDate,
                                               const QString& storeID, QString& error) {
  const std::optional<QString> text = decode(bytes);
  if (!text) {
    error = QStringLiteral("檔案不是系統字碼的文字");
    return std::nullopt;
  }
  return Parser(fileDate, storeID).run(splitLines(*text), error);
}
