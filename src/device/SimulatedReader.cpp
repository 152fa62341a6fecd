#include "device/SimulatedReader.h"

#include "core/CodePage.h"

#include <QDir>
#include <cstring>

namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kRefused = 1;
constexpr std::int32_t kNoCard = 2;
constexpr std::int32_t kCardFault = 3;
constexpr std::int32_t kUnknownData = 4;
constexpr std::int32_t kUnknownHandle = -1;
constexpr int kTrackBuffer = 256;
constexpr int kMaxStripeData = 255;

// Why the card wait refuses a card.
std::int32_t cardState(const SimCard& card) {
  if (card.fault == QLatin1String(kFaultJammed)) return 31;
  if (card.fault == QLatin1String(kFaultMisinserted)) return 33;
  if (card.fault == QLatin1String(kFaultIllegal)) return 35;
  return 0;
}

// Whether a write, erase or print meets its own fault or a worn-out card.
bool fails(const SimCard& card, const char* fault) {
  return card.fault == QLatin1String(fault) || card.fault == QLatin1String(kFaultWornOut);
}

// The text of a print line: ESC 'e' and the two mode characters come first.
QByteArray printedText(const QByteArray& line) {
  if (line.size() >= 4 && line[0] == '\x1b' && line[1] == 'e') return line.mid(4);
  return line;
}

}  // namespace

SimulatedReader::SimulatedReader(std::function<QString()> root) : root_(std::move(root)) {}

SimulatedReader::Device* SimulatedReader::device(std::int32_t hDevice) {
  const auto it = devices_.find(hDevice);
  return it == devices_.end() ? nullptr : &it->second;
}

std::int32_t SimulatedReader::start(std::int32_t hDevice, std::int32_t* hFunction, Operation op) {
  Device* dev = device(hDevice);
  if (!dev) {
    if (hFunction) *hFunction = 0;
    return kUnknownHandle;
  }
  const std::int32_t handle = dev->nextFunction++;
  dev->operations.emplace(handle, std::move(op));
  if (hFunction) *hFunction = handle;
  return kOk;
}

std::int32_t SimulatedReader::withSlotCard(const Device& dev, const std::function<std::int32_t(const QString&, SimCard&)>& use) {
  const QString file = SimReader(dev.folder).slotFile();
  if (file.isEmpty()) return kNoCard;
  std::optional<SimCard> card = SimCard::load(file);
  if (!card) return kNoCard;  // taken out while we looked, or not a card file
  return use(file, *card);
}

// ---- Devices ----------------------------------------------------------------------------

std::int32_t SimulatedReader::CRWCountOpen() { return static_cast<std::int32_t>(devices_.size()); }

std::int32_t SimulatedReader::CRWGetDeviceHandle(std::int32_t index) {
  if (index < 0 || index >= CRWCountOpen()) return 0;
  return std::next(devices_.begin(), index)->first;
}

std::int32_t SimulatedReader::CRWGetDeviceName(std::int32_t hDevice, char* buffer, std::int32_t* length) {
  const Device* dev = device(hDevice);
  if (!dev || !buffer || !length || *length <= 0) return 0;
  const QByteArray name = CodePage::toAnsi(dev->port);
  const std::int32_t n = std::min<std::int32_t>(static_cast<std::int32_t>(name.size()), *length - 1);
  std::memcpy(buffer, name.constData(), static_cast<size_t>(n));
  buffer[n] = '\0';
  *length = n;
  return 1;
}

std::int32_t SimulatedReader::CRWOpenDevice(const char* port) {
  if (!port) return 0;
  const QString name = CodePage::fromAnsi(QByteArray(port));
  const QString root = root_ ? root_() : QString();
  const QString folder = SimReader::folderFor(root.isEmpty() ? QDir::currentPath() : root, name);
  if (!SimReader(folder).ensure()) return 0;
  const std::int32_t handle = nextHandle_++;
  devices_[handle] = Device{name, folder, {}, 1, 0, {}, 1, {}};
  return handle;
}

std::int32_t SimulatedReader::CRWCloseDevice(std::int32_t hDevice) { return devices_.erase(hDevice) ? 1 : 0; }

std::int32_t SimulatedReader::CRWGetCommDCBState(std::int32_t hDevice, Dcb* dcb) {
  const Device* dev = device(hDevice);
  if (!dev || !dcb) return 0;
  *dcb = SimReader(dev->folder).settings().dcb;
  return 1;
}

std::int32_t SimulatedReader::CRWSetCommDCBState(std::int32_t hDevice, const Dcb* dcb) {
  const Device* dev = device(hDevice);
  if (!dev || !dcb) return 0;
  const SimReader reader(dev->folder);
  SimReaderSettings settings = reader.settings();
  if (settings.refuseLineSettings) return 0;
  settings.dcb = *dcb;
  return reader.saveSettings(settings) ? 1 : 0;
}

// ---- Asynchronous operations --------------------------------------------------------------

std::int32_t SimulatedReader::CRWInitial(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                      std::int32_t mode) {
  Q_UNUSED(out);
  Q_UNUSED(mode);
  Operation op;
  op.finish = [this, hDevice] {
    const Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    return SimReader(dev->folder).settings().offline ? kRefused : kOk;
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWWaitForCard(std::int32_t hDevice, std::int32_t* state, std::int32_t* hFunction) {
  Operation op;
  op.isWait = true;
  // Like the device, the wait takes a card inserted after it began, never one that was lying
  // in the slot already.
  const Device* waiting = device(hDevice);
  const QString before = waiting ? SimReader(waiting->folder).slotIdentity() : QString();
  op.ready = [this, hDevice, before] {
    const Device* dev = device(hDevice);
    if (!dev) return true;
    const QString now = SimReader(dev->folder).slotIdentity();
    return !now.isEmpty() && now != before;
  };
  op.finish = [this, hDevice, state] {
    const Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    const QString file = SimReader(dev->folder).slotFile();
    if (file.isEmpty()) return kNoCard;
    // Whatever lies in the slot and is not a card file is not a usable card.
    const std::optional<SimCard> card = SimCard::load(file);
    if (state) *state = card ? cardState(*card) : 35;
    return kOk;
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWCardCancel(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) {
  Q_UNUSED(out);
  if (Device* dev = device(hDevice)) {
    for (auto& [handle, op] : dev->operations) {
      if (op.isWait && !op.done) op.cancelled = true;
    }
  }
  return start(hDevice, hFunction, Operation{});
}

std::int32_t SimulatedReader::CRWCardOut(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) {
  Q_UNUSED(out);
  // The card leaves the slot and lies in the deck again; an empty slot is no error.
  Operation op;
  op.finish = [this, hDevice] {
    const Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    const SimReader reader(dev->folder);
    if (reader.slotFile().isEmpty()) return kOk;
    return reader.takeOut().isEmpty() ? kRefused : kOk;
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWSetMode(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                      std::int32_t* v1, std::int32_t* v2, std::int32_t* v3, std::int32_t* v4,
                                      std::int32_t* v5, std::int32_t* v6, std::int32_t* v7) {
  Q_UNUSED(out);
  const bool given = v1 && v2 && v3 && v4 && v5 && v6 && v7;
  const std::int32_t mode = given ? *v1 : 0;
  Operation op;
  op.finish = [this, hDevice, mode] {
    Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    if (mode <= 0) return kRefused;
    dev->trackMode = mode;
    return kOk;
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWGetMSData(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                        std::int32_t* mode, std::int32_t* lengths, char* tracks) {
  Q_UNUSED(out);
  const std::int32_t requested = mode ? *mode : 0;
  Operation op;
  op.finish = [this, hDevice, requested, lengths, tracks] {
    const Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    if (requested <= 0 || dev->trackMode <= 0 || !lengths || !tracks) return kRefused;
    return withSlotCard(*dev, [lengths, tracks](const QString&, SimCard& card) {
      if (card.fault == QLatin1String(kFaultReadFails)) return kCardFault;
      for (int i = 0; i < 3; ++i) {
        const QByteArray& track = card.tracks[static_cast<size_t>(i)];
        const int n = std::min<int>(static_cast<int>(track.size()), kTrackBuffer);
        std::memset(tracks + i * kTrackBuffer, 0, kTrackBuffer);
        std::memcpy(tracks + i * kTrackBuffer, track.constData(), static_cast<size_t>(n));
        lengths[i] = n;
      }
      return kOk;
    });
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWSetMSData(std::int32_t hDevice, std::int32_t* dataId, std::int32_t* hFunction,
                                        std::int32_t mode, std::int32_t length, const char* data) {
  Device* dev = device(hDevice);
  if (!dev || mode <= 0 || length < 0 || length > kMaxStripeData || (length > 0 && !data)) {
    if (hFunction) *hFunction = 0;
    return kRefused;
  }
  const std::int32_t id = dev->nextDataId++;
  dev->stripeData[id] = QByteArray(data, length);
  if (dataId) *dataId = id;
  return start(hDevice, hFunction, Operation{});
}

std::int32_t SimulatedReader::CRWWriteMSData(std::int32_t hDevice, std::int32_t dataId, std::int32_t* hFunction,
                                          std::int32_t* out) {
  Q_UNUSED(out);
  Operation op;
  op.finish = [this, hDevice, dataId] {
    Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    const auto data = dev->stripeData.find(dataId);
    if (data == dev->stripeData.end()) return kUnknownData;
    const QByteArray bytes = data->second;
    dev->stripeData.erase(data);
    return withSlotCard(*dev, [&bytes](const QString& file, SimCard& card) {
      if (fails(card, kFaultWriteFails)) return kCardFault;
      card.tracks[0] = bytes;  // the record lives on track 1
      if (card.fault == QLatin1String(kFaultFailsAfterWrite)) card.fault = QString::fromLatin1(kFaultWornOut);
      return card.save(file) ? kOk : kRefused;
    });
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWSetPrintMode(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                           std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*,
                                           std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*,
                                           std::int32_t*, std::int32_t*, std::int32_t*) {
  Q_UNUSED(out);
  // The head settings change only how the face looks on a real card.
  return start(hDevice, hFunction, Operation{});
}

std::int32_t SimulatedReader::CRWErasePrint(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) {
  Q_UNUSED(out);
  Operation op;
  op.finish = [this, hDevice] {
    Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    return withSlotCard(*dev, [](const QString& file, SimCard& card) {
      if (fails(card, kFaultEraseFails)) return kCardFault;
      card.face.clear();
      return card.save(file) ? kOk : kRefused;
    });
  };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWPrintData(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                        std::int32_t* x, std::int32_t* y, std::int32_t* z, const char* text) {
  Q_UNUSED(out);
  Q_UNUSED(x);
  Q_UNUSED(y);
  Q_UNUSED(z);
  Device* dev = device(hDevice);
  if (dev && text) dev->printLines.push_back(QByteArray(text));
  Operation op;
  op.finish = [text] { return text ? kOk : kRefused; };
  return start(hDevice, hFunction, std::move(op));
}

std::int32_t SimulatedReader::CRWPrint(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                    std::int32_t* out2) {
  Q_UNUSED(out);
  Q_UNUSED(out2);
  Operation op;
  op.finish = [this, hDevice] {
    Device* dev = device(hDevice);
    if (!dev) return kUnknownHandle;
    QByteArray text;
    for (const QByteArray& line : dev->printLines) text += printedText(line);
    dev->printLines.clear();
    return withSlotCard(*dev, [&text](const QString& file, SimCard& card) {
      if (fails(card, kFaultPrintFails)) return kCardFault;
      // A rewritable face is overprinted, so text adds to what is already there.
      card.face += CodePage::fromAnsi(text);
      return card.save(file) ? kOk : kRefused;
    });
  };
  return start(hDevice, hFunction, std::move(op));
}

// ---- Polling --------------------------------------------------------------------------------

std::int32_t SimulatedReader::CRWResultFunction(std::int32_t hDevice, std::int32_t hFunction, std::int32_t* result) {
  Device* dev = device(hDevice);
  const auto it = dev ? dev->operations.find(hFunction) : decltype(Device::operations)::iterator{};
  if (!dev || it == dev->operations.end()) {
    // Nothing to wait for: answer "done" with an error so that no caller polls forever.
    if (result) *result = kUnknownHandle;
    return 0;
  }
  Operation& op = it->second;
  if (!op.done) {
    if (op.pendingPolls > 0) {
      --op.pendingPolls;
      return 1;
    }
    if (op.cancelled) {
      op.result = kRefused;
    } else {
      if (op.ready && !op.ready()) return 1;
      op.result = op.finish ? op.finish() : kOk;
    }
    op.done = true;
  }
  if (result) *result = op.result;
  return 0;
}

std::int32_t SimulatedReader::CRWCloseFunction(std::int32_t hDevice, std::int32_t hFunction) {
  Device* dev = device(hDevice);
  return dev && dev->operations.erase(hFunction) ? 1 : 0;
}
