#include "ledger/BlacklistFile.h"
#include "ledger/BlacklistFileSeam.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"

#include <QDir>
#include <QSaveFile>
#include <QSqlQuery>

namespace {

std::function<bool(QFileDevice&)>& writeHook() {
  static std::function<bool(QFileDevice&)> hook;
  return hook;
}

// The problem with a value the file cannot carry, empty when it is fine.
QString valueProblem(const QString& cardNo, const QString& text) {
  if (CodePage::fromAnsi(CodePage::toAnsi(text)) != text)
    return QStringLiteral("卡號 %1 的資料含有系統字碼無法表示的字").arg(cardNo);
  // A line break would split the card's line in two for the stores' reader.
  if (text.contains(u'\n') || text.contains(u'\r')) return QStringLiteral("卡號 %1 的資料含有換行").arg(cardNo);
  return {};
}

struct Card {
  QString cardNo;
  QString remark;
};

Fetched<QList<Card>> blacklisted(Connection& cnn) {
  QList<Card> cards;
  const Done read = ForEachRow(cnn, QStringLiteral("SELECT CardNo, Remark FROM Tolva WHERE Status = ? ORDER BY CardNo"),
                               {CardStatus::Blacklisted}, [&cards](const QSqlQuery& q) {
                                 const QString no = q.value(0).toString();
                                 // Each number once, should the master ever hold a number twice.
                                 if (!cards.isEmpty() && cards.last().cardNo == no) return;
                                 cards.append({no, q.value(1).toString()});
                               });
  if (!read) return read.failure();
  return cards;
}

bool write(const QString& path, const QList<Card>& cards, QString& reason) {
  QByteArray bytes = "TABLECSV_VoidCard\r\nCardNo,Remark\r\n";
  for (const Card& c : cards) {
    for (const QString& v : {c.cardNo, c.remark}) {
      reason = valueProblem(c.cardNo, v);
      if (!reason.isEmpty()) return false;
    }
    bytes += CodePage::toAnsi(VoidCardQuote(c.cardNo) + u',' + VoidCardQuote(c.remark)) + "\r\n";
  }
  QSaveFile file(path);
  bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
  if (ok && writeHook()) ok = writeHook()(file);
  if (!ok) {
    reason = QStringLiteral("無法寫入 %1: %2").arg(path, file.errorString());
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    reason = QStringLiteral("無法寫入 %1: %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

}  // namespace

QString VoidCardQuote(const QString& text) {
  QString t = text.trimmed();
  t.replace(u'\'', QStringLiteral("''"));
  return u'\'' + t + u'\'';
}

void SetVoidCardWriteHookForTest(std::function<bool(QFileDevice&)> hook) { writeHook() = std::move(hook); }

ExportOutcome ExportVoidCards(const QString& dir) { return ExportVoidCards(dir, gCnn()); }

ExportOutcome ExportVoidCards(const QString& dir, Connection& cnn) {
  ExportOutcome o;
  o.path = QDir(dir).filePath(kVoidCardFileName);
  const Fetched<QList<Card>> cards = blacklisted(cnn);
  if (!cards) {
    LogError(ErrorLabel(), cards.failure);
    o.reason = cards.failure.description;
    return o;
  }
  if (cards->isEmpty()) {
    o.result = ExportOutcome::Result::NoCards;
    return o;
  }
  if (!write(o.path, *cards, o.reason)) return o;
  o.count = int(cards->size());
  o.result = ExportOutcome::Result::Written;
  return o;
}
