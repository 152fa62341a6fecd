#pragma once
// What every fuzz target shares: the property check that turns a broken promise into a crash
// libFuzzer keeps, the input as text, and a scratch folder for parsers that read files.
#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A property that must hold for every input: on failure the input is kept as a crash.
#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      qCritical("property failed: %s (%s:%d)", #cond, __FILE__, __LINE__);     \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

namespace fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// One folder per process, removed at exit, so parallel runs never share a file. In memory
// where the system has it: a disk file system flushes every file replaced, some 200 a second.
inline QString scratchFile(const QString& name) {
  static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                               ? QStringLiteral("/dev/shm/tolva-fuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/tolva-fuzz-XXXXXX"));
  return dir.filePath(name);
}

inline bool writeFile(const QString& path, const QByteArray& content) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(content) == content.size();
}

// Splits off the first byte as a selector (a calendar, a key) and answers the rest.
inline std::uint8_t takeSelector(QByteArray& input) {
  if (input.isEmpty()) return 0;
  const auto s = static_cast<std::uint8_t>(input.front());
  input.remove(0, 1);
  return s;
}

}  // namespace fuzz
