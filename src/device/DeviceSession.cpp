#include "device/DeviceSession.h"
#include "device/DeviceSessionSeam.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "device/CurrentReader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstring>

namespace {

// Session state, kept between card operations.
std::int32_t g_readerHandle = 0;  // > 0 open, 0 none, -1 opening failed
std::int32_t g_stripeMode = 0;    // track mode last set; 0 = not set
std::int32_t g_stripeOption = 0;  // option last set with the track mode

constexpr int kSilentPolls = 9;
constexpr unsigned long kPollSleepMs = 3;
constexpr int kTrackBuffer = 256;
constexpr int kStripeBuffer = 255;

int g_timeoutMs = kReaderOperationTimeoutMs;

ReaderDriver& drv() { return CurrentReaderDriver(); }

// -1 or -2 when no device is open, else 0.
std::int32_t deviceCheck() {
  if (g_readerHandle < 0) return -1;
  if (g_readerHandle == 0) return -2;
  return 0;
}

// Ends a pending card wait. The wait dialog is closing, so no events run meanwhile.
void cancelCardWait() {
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWCardCancel(g_readerHandle, &out, &hFunction);
  Dialogs().setBusyCursor(true);
  const QDeadlineTimer deadline(g_timeoutMs);
  while (drv().CRWResultFunction(g_readerHandle, hFunction, &code) != 0 && !deadline.hasExpired()) {
    QThread::msleep(kPollSleepMs);
  }
  Dialogs().setBusyCursor(false);
  drv().CRWCloseFunction(g_readerHandle, hFunction);
}

// Sets the line settings of a serial port: 9600 baud, 8 data bits, even parity.
bool setSerialLine(std::int32_t hDevice) {
  Dcb dcb;
  if (drv().CRWGetCommDCBState(hDevice, &dcb) == 0) return false;
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.Parity = 2;
  return drv().CRWSetCommDCBState(hDevice, &dcb) != 0;
}

QString deviceName(std::int32_t hDevice) {
  // Room for any port name (a simulator folder, /dev/ttyUSB0), so that a device left open on
  // the port is always recognised and closed.
  char buffer[4096] = {};
  std::int32_t length = sizeof buffer;
  if (drv().CRWGetDeviceName(hDevice, buffer, &length) == 0) return {};
  buffer[sizeof buffer - 1] = '\0';
  return CodePage::fromAnsi(QByteArray(buffer, static_cast<qsizetype>(std::strlen(buffer))));
}

}  // namespace

void SetReaderOperationTimeoutForTest(int ms) { g_timeoutMs = ms > 0 ? ms : kReaderOperationTimeoutMs; }
void SetReaderHandleForTest(std::int32_t handle) { g_readerHandle = handle; }
void ForgetReaderSessionForTest() {
  g_readerHandle = 0;
  g_stripeMode = 0;
  g_stripeOption = 0;
}

std::int32_t ReaderHandle() { return g_readerHandle; }
std::int32_t StripeMode() { return g_stripeMode; }
std::int32_t StripeOption() { return g_stripeOption; }

void WaitForResult(std::int32_t hDevice, std::int32_t hFunction, std::int32_t& result) {
  Dialogs().setBusyCursor(true);
  // A device that never answers must not hang the program: after the time limit the
  // operation counts as failed.
  const QDeadlineTimer deadline(g_timeoutMs);
  std::int32_t code = result;
  while (drv().CRWResultFunction(hDevice, hFunction, &code) != 0) {
    result = code;
    if (deadline.hasExpired()) {
      code = kReaderTimedOut;
      break;
    }
    // Paint and timers go on; operator input waits, so no window can start a device call or a
    // database write in the middle of this operation.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
    QThread::msleep(kPollSleepMs);
  }
  result = code;
  Dialogs().setBusyCursor(false);
  drv().CRWCloseFunction(hDevice, hFunction);
}

std::int32_t OpenReaderPort(const QString& port) {
  std::int32_t result = -1;
  // From the last index down, so closing a device does not move one still to be checked.
  for (std::int32_t i = drv().CRWCountOpen() - 1; i >= 0; --i) {
    const std::int32_t handle = drv().CRWGetDeviceHandle(i);
    if (handle <= 0 || deviceName(handle).compare(port, Qt::CaseInsensitive) != 0) continue;
    if (drv().CRWCloseDevice(handle) == 0) return -1;
    g_readerHandle = 0;
  }
  g_readerHandle = drv().CRWOpenDevice(CodePage::toAnsi(port).constData());
  if (g_readerHandle > 0) {
    if (!port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
      result = g_readerHandle;
    } else if (setSerialLine(g_readerHandle)) {
      result = g_readerHandle;
    } else {
      drv().CRWCloseDevice(g_readerHandle);
      g_readerHandle = 0;
    }
  }
  return result;
}

std::int32_t OpenReader() {
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWInitial(g_readerHandle, &out, &hFunction, 1);
  WaitForResult(g_readerHandle, hFunction, code);
  if (code == 0) return 0;
  drv().CRWCloseDevice(g_readerHandle);
  g_readerHandle = 0;
  return -2;
}

bool InitReader(const QString& port, QString& msg) {
  g_readerHandle = OpenReaderPort(port);
  if (g_readerHandle < 1) {
    msg = QStringLiteral("指定的連接埠無法開啟!!");
    return false;
  }
  if (OpenReader() != 0) {
    msg = QStringLiteral("設備無法初始化，請檢查設備是否連接妥當!!");
    return false;
  }
  EjectCard();
  return true;
}

std::int32_t WaitForCard() {
  if (g_readerHandle <= 0) return -2;
  std::int32_t state = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWWaitForCard(g_readerHandle, &state, &hFunction);
  bool done = false;
  for (int i = 0; i < kSilentPolls && !done; ++i) done = drv().CRWResultFunction(g_readerHandle, hFunction, &code) == 0;
  std::int32_t result = state;
  if (!done) {
    const std::int32_t hDevice = g_readerHandle;
    const bool arrived = Dialogs().waitForCard([hDevice, hFunction, &code] {
      return drv().CRWResultFunction(hDevice, hFunction, &code) == 0;
    });
    if (arrived) {
      result = state;
    } else {
      cancelCardWait();
      result = -21;
    }
  }
  drv().CRWCloseFunction(g_readerHandle, hFunction);
  return result;
}

bool OpenReaderAndWaitForCard(QString& msg, std::int32_t* code) {
  bool ok = false;
  if (!InitReader(TheSettings().readerPort, msg)) {
    if (code) *code = -99;
    return false;
  }
  const std::int32_t r = WaitForCard();
  switch (r) {
    case -21: msg = QStringLiteral("取消作業"); break;
    case -2: msg = QStringLiteral("設備還沒有初始化"); break;
    case 31: msg = QStringLiteral("卡片已存在"); break;
    case 33: msg = QStringLiteral("卡片沒插好"); break;
    case 35: msg = QStringLiteral("非法卡"); break;
    default: ok = true; break;
  }
  if (code) *code = r;
  return ok;
}

std::int32_t EjectCard() {
  if (g_readerHandle <= 0) return -2;
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWCardOut(g_readerHandle, &out, &hFunction);
  WaitForResult(g_readerHandle, hFunction, code);
  return code;
}

std::int32_t SetStripeMode(std::int32_t mode, std::int32_t& option) {
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t track = mode;
  std::int32_t three = 3;
  std::int32_t track2 = mode;
  std::int32_t three2 = 3;
  std::int32_t density = mode == 8 ? 3 : 1;
  std::int32_t three3 = 3;
  std::int32_t code = drv().CRWSetMode(g_readerHandle, &out, &hFunction, &track, &three, &track2, &three2, &density,
                                       &option, &three3);
  WaitForResult(g_readerHandle, hFunction, code);
  if (code == 0) {
    g_stripeMode = mode;
    g_stripeOption = option;
    return 0;
  }
  g_stripeMode = 0;
  g_stripeOption = 0;
  return -31;
}

std::int32_t ReadTrack(std::int32_t track, QByteArray& data) {
  data.clear();
  if (const std::int32_t check = deviceCheck()) return check;
  if (g_stripeMode == 0) return -3;
  char buffers[3][kTrackBuffer] = {};
  std::int32_t lengths[4] = {};
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWGetMSData(g_readerHandle, &out, &hFunction, &g_stripeMode, lengths, &buffers[0][0]);
  WaitForResult(g_readerHandle, hFunction, code);
  if (code != 0) return -32;
  if (track >= 1 && track <= 3) {
    const std::int32_t length = std::min(lengths[track - 1], kTrackBuffer);
    if (length > 0) data = QByteArray(buffers[track - 1], length);
  }
  return 0;
}

std::int32_t ReadTrack(std::int32_t track, QString& text) {
  QByteArray data;
  const std::int32_t result = ReadTrack(track, data);
  text = CodePage::fromAnsi(data);
  return result;
}

std::int32_t WriteTrack(const QByteArray& data) {
  if (const std::int32_t check = deviceCheck()) return check;
  if (g_stripeMode == 0) return -3;
  // The device takes at most one buffer of data; a longer length would make it read past it.
  const std::int32_t length = static_cast<std::int32_t>(std::min<qsizetype>(data.size(), kStripeBuffer));
  QByteArray buffer = data.left(kStripeBuffer).leftJustified(kStripeBuffer, ' ');
  std::int32_t dataId = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWSetMSData(g_readerHandle, &dataId, &hFunction, g_stripeMode, length, buffer.constData());
  if (hFunction == 0) return -4;
  WaitForResult(g_readerHandle, hFunction, code);
  if (code != 0) return -34;
  std::int32_t out = 0;
  hFunction = 0;
  code = drv().CRWWriteMSData(g_readerHandle, dataId, &hFunction, &out);
  WaitForResult(g_readerHandle, hFunction, code);
  return code == 0 ? 0 : -33;
}

std::int32_t WriteTrack(const QString& text) { return WriteTrack(CodePage::toAnsi(text)); }

std::int32_t SetPrintMode(std::int32_t a, std::int32_t& b, std::int32_t& c) {
  if (const std::int32_t check = deviceCheck()) return check;
  std::int32_t values[9] = {0, a, 4, 4, 6, 4, 4, 2, 4};
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWSetPrintMode(g_readerHandle, &out, &hFunction, &values[0], &values[1], &values[2],
                                            &values[3], &values[4], &values[5], &values[6], &values[7], &values[8],
                                            &b, &c);
  WaitForResult(g_readerHandle, hFunction, code);
  return code == 0 ? 0 : -51;
}

std::int32_t EraseFace() {
  if (const std::int32_t check = deviceCheck()) return check;
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWErasePrint(g_readerHandle, &out, &hFunction);
  WaitForResult(g_readerHandle, hFunction, code);
  return code == 0 ? 0 : -52;
}

std::int32_t PrintFaceText(std::int32_t& x, std::int32_t& y, std::int32_t& z, const QString& text,
                           const QVariant& unused, const QString& p, const QString& q) {
  Q_UNUSED(unused);
  if (const std::int32_t check = deviceCheck()) return check;
  const QByteArray line = QByteArray("\x1b" "e") + CodePage::toAnsi(p.left(1) + q.left(1) + text);
  std::int32_t out = 0;
  std::int32_t hFunction = 0;
  std::int32_t code = drv().CRWPrintData(g_readerHandle, &out, &hFunction, &x, &y, &z, line.constData());
  WaitForResult(g_readerHandle, hFunction, code);
  if (code != 0) return -53;
  std::int32_t out2 = 0;
  hFunction = 0;
  code = drv().CRWPrint(g_readerHandle, &out, &hFunction, &out2);
  WaitForResult(g_readerHandle, hFunction, code);
  return code == 0 ? 0 : -54;
}
