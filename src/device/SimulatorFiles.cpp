#include "device/SimulatorFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <sys/stat.h>

namespace {

const QString kCardSuffix = QStringLiteral(".card");
const QString kSettingsFile = QStringLiteral("reader.json");

QStringList cardFilesIn(const QString& folder) {
  QDir dir(folder);
  QStringList files;
  for (const QString& name : dir.entryList({QStringLiteral("*") + kCardSuffix}, QDir::Files, QDir::Name)) {
    files << dir.filePath(name);
  }
  return files;
}

// A name not used in the slot or the deck.
QString freeName(const SimReader& reader, const QString& stem) {
  for (int n = 1;; ++n) {
    const QString name = stem + QStringLiteral("-%1").arg(n, 4, 10, QLatin1Char('0')) + kCardSuffix;
    if (!QFileInfo::exists(reader.folder() + QLatin1Char('/') + name) &&
        !QFileInfo::exists(reader.deckFolder() + QLatin1Char('/') + name)) {
      return name;
    }
  }
}

// The line settings of a port nobody has configured yet.
Dcb freshDcb() {
  Dcb dcb;
  dcb.BaudRate = 1200;
  dcb.Flags = 1;  // binary mode
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = 7;
  dcb.Parity = 0;
  dcb.StopBits = 0;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

QJsonObject dcbToJson(const Dcb& d) {
  return QJsonObject{{"DCBlength", qint64(d.DCBlength)}, {"BaudRate", qint64(d.BaudRate)},
                     {"Flags", qint64(d.Flags)},         {"wReserved", d.wReserved},
                     {"XonLim", d.XonLim},               {"XoffLim", d.XoffLim},
                     {"ByteSize", d.ByteSize},           {"Parity", d.Parity},
                     {"StopBits", d.StopBits},           {"XonChar", int(d.XonChar)},
                     {"XoffChar", int(d.XoffChar)},      {"ErrorChar", int(d.ErrorChar)},
                     {"EofChar", int(d.EofChar)},        {"EvtChar", int(d.EvtChar)},
                     {"wReserved1", d.wReserved1}};
}

Dcb dcbFromJson(const QJsonObject& o) {
  Dcb d = freshDcb();
  auto get = [&o](const char* key, auto& field) {
    using T = std::remove_reference_t<decltype(field)>;
    if (o.contains(QLatin1String(key))) field = static_cast<T>(o.value(QLatin1String(key)).toInteger());
  };
  get("DCBlength", d.DCBlength);
  get("BaudRate", d.BaudRate);
  get("Flags", d.Flags);
  get("wReserved", d.wReserved);
  get("XonLim", d.XonLim);
  get("XoffLim", d.XoffLim);
  get("ByteSize", d.ByteSize);
  get("Parity", d.Parity);
  get("StopBits", d.StopBits);
  get("XonChar", d.XonChar);
  get("XoffChar", d.XoffChar);
  get("ErrorChar", d.ErrorChar);
  get("EofChar", d.EofChar);
  get("EvtChar", d.EvtChar);
  get("wReserved1", d.wReserved1);
  return d;
}

}  // namespace

bool WriteFileAtomically(const QString& file, const QByteArray& data) {
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(data);
  return out.commit();
}

QByteArray SimCard::toJson() const {
  QJsonObject o;
  o.insert(QStringLiteral("track1"), QString::fromLatin1(tracks[0].toHex().toUpper()));
  o.insert(QStringLiteral("track2"), QString::fromLatin1(tracks[1].toHex().toUpper()));
  o.insert(QStringLiteral("track3"), QString::fromLatin1(tracks[2].toHex().toUpper()));
  o.insert(QStringLiteral("face"), face);
  o.insert(QStringLiteral("fault"), fault);
  return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<SimCard> SimCard::fromJson(const QByteArray& json) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  const QJsonObject o = doc.object();
  SimCard card;
  for (int i = 0; i < 3; ++i) {
    const QString hex = o.value(QStringLiteral("track%1").arg(i + 1)).toString();
    card.tracks[i] = QByteArray::fromHex(hex.toLatin1());
  }
  card.face = o.value(QStringLiteral("face")).toString();
  card.fault = o.value(QStringLiteral("fault")).toString();
  return card;
}

std::optional<SimCard> SimCard::load(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return fromJson(f.readAll());
}

bool SimCard::save(const QString& file) const { return WriteFileAtomically(file, toJson()); }

QString SimReader::folderFor(const QString& root, const QString& port) {
  if (port.trimmed().isEmpty()) return {};
  if (QDir::isAbsolutePath(port)) return QDir::cleanPath(port);
  return QDir::cleanPath(QDir(root).absoluteFilePath(port));
}

SimReader::SimReader(QString folder) : folder_(std::move(folder)) {}

QString SimReader::deckFolder() const { return folder_ + QStringLiteral("/deck"); }

bool SimReader::ensure() const {
  if (folder_.isEmpty()) return false;
  return QDir().mkpath(deckFolder()) && QFileInfo(folder_).isDir();
}

QString SimReader::slotFile() const {
  const QStringList files = cardFilesIn(folder_);
  return files.isEmpty() ? QString() : files.first();
}

QStringList SimReader::deckFiles() const { return cardFilesIn(deckFolder()); }

bool SimReader::insert(const QString& deckFile) const {
  if (!QFileInfo::exists(deckFile)) return false;
  if (!slotFile().isEmpty() && takeOut().isEmpty()) return false;
  return QFile::rename(deckFile, folder_ + QLatin1Char('/') + QFileInfo(deckFile).fileName());
}

QString SimReader::takeOut() const {
  const QString slot = slotFile();
  if (slot.isEmpty() || !QDir().mkpath(deckFolder())) return {};
  QString target = deckFolder() + QLatin1Char('/') + QFileInfo(slot).fileName();
  if (QFileInfo::exists(target)) target = deckFolder() + QLatin1Char('/') + freeName(*this, QStringLiteral("card"));
  return QFile::rename(slot, target) ? target : QString();
}

QString SimReader::slotIdentity() const {
  const QString slot = slotFile();
  if (slot.isEmpty()) return {};
  // A rename (insertion) changes the status-change time, a replaced file its inode.
  struct stat st {};
  if (::stat(QFile::encodeName(slot).constData(), &st) != 0) return {};
  return slot + QStringLiteral("|%1|%2.%3")
                    .arg(static_cast<qulonglong>(st.st_ino))
                    .arg(static_cast<qlonglong>(st.st_ctim.tv_sec))
                    .arg(static_cast<qlonglong>(st.st_ctim.tv_nsec));
}

QString SimReader::newBlankCard() const {
  if (!ensure()) return {};
  const QString file = deckFolder() + QLatin1Char('/') + freeName(*this, QStringLiteral("card"));
  return SimCard{}.save(file) ? file : QString();
}

SimReaderSettings SimReader::settings() const {
  SimReaderSettings s;
  s.dcb = freshDcb();
  QFile f(folder_ + QLatin1Char('/') + kSettingsFile);
  if (!f.open(QIODevice::ReadOnly)) return s;
  const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
  s.dcb = dcbFromJson(o.value(QStringLiteral("dcb")).toObject());
  s.offline = o.value(QStringLiteral("offline")).toBool();
  s.refuseLineSettings = o.value(QStringLiteral("refuseLineSettings")).toBool();
  return s;
}

bool SimReader::saveSettings(const SimReaderSettings& s) const {
  const QJsonObject o{{"dcb", dcbToJson(s.dcb)}, {"offline", s.offline}, {"refuseLineSettings", s.refuseLineSettings}};
  return WriteFileAtomically(folder_ + QLatin1Char('/') + kSettingsFile, QJsonDocument(o).toJson(QJsonDocument::Indented));
}
