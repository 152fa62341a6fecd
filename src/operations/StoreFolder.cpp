#include "operations/StoreFolder.h"

#include "core/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace {

bool MatchesPattern(const QByteArray& name) {
  const QByteArray upper = name.toUpper();
  return upper.size() >= 9 && upper.startsWith("DD") && upper.endsWith("_TL.TXT");
}

bool IsRegularFile(const QByteArray& path) {
  struct stat st {};
  return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString Escaped(const QByteArray& bytes) {
  QString out;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    out += u < 0x80 ? QString(QLatin1Char(c)) : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
  }
  return out;
}

ListedStoreFile Named(const QByteArray& bytes) {
  ListedStoreFile f;
  f.bytes = bytes;
  QStringDecoder utf8(QStringDecoder::Utf8);
  f.name = utf8(bytes);
  if (!utf8.hasError()) return f;
  // Bytes that are no text of the code page are dropped or replaced by the decoder: only a name
  // that encodes back to its very bytes is read.
  f.name = CodePage::fromAnsi(bytes);
  f.kind = CodePage::toAnsi(f.name) == bytes ? ListedStoreFile::Name::CodePage : ListedStoreFile::Name::Unreadable;
  if (f.kind == ListedStoreFile::Name::Unreadable) f.name = Escaped(bytes);
  return f;
}

}  // namespace

QList<ListedStoreFile> ListStoreFiles(const QString& dir) {
  QList<ListedStoreFile> files;
  const QByteArray folder = QFile::encodeName(dir);
  DIR* d = ::opendir(folder.constData());
  if (!d) return files;
  while (const dirent* e = ::readdir(d)) {
    const QByteArray bytes(e->d_name);
    if (MatchesPattern(bytes) && IsRegularFile(folder + '/' + bytes)) files << Named(bytes);
  }
  ::closedir(d);
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return files;
}

QString OpenableStoreFile(const QString& dir, const ListedStoreFile& file, QString& reason) {
  const QString path = QDir(dir).filePath(file.name);
  switch (file.kind) {
    case ListedStoreFile::Name::Utf8: return path;
    case ListedStoreFile::Name::Unreadable: reason = QStringLiteral("檔名無法辨識"); return {};
    case ListedStoreFile::Name::CodePage: break;
  }
  const QByteArray from = QFile::encodeName(dir) + '/' + file.bytes;
  if (!IsRegularFile(from)) return path;  // renamed already, or gone: the import says which
  if (QFileInfo::exists(path)) {
    reason = QStringLiteral("已有同名檔案: ") + file.name;
    return {};
  }
  if (::rename(from.constData(), QFile::encodeName(path).constData()) != 0) {
    reason = QStringLiteral("無法更改檔名");
    return {};
  }
  return path;
}
