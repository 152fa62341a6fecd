// The simulator as a driver library: the driver's C exports over one simulator instance.
// Relative port names are reader folders under CardSim in the current folder, which the
// program makes its application folder at start-up.
#include "device/SimulatedReader.h"

#include <QDir>

using I = std::int32_t;

namespace {
SimulatedReader& sim() {
  static SimulatedReader simulator([] { return QDir::current().filePath(QStringLiteral("CardSim")); });
  return simulator;
}
}  // namespace

#define CRW_EXPORT extern "C" __attribute__((visibility("default")))

CRW_EXPORT I CRWCountOpen() { return sim().CRWCountOpen(); }
CRW_EXPORT I CRWGetDeviceHandle(I index) { return sim().CRWGetDeviceHandle(index); }
CRW_EXPORT I CRWGetDeviceName(I hDevice, char* buffer, I* length) { return sim().CRWGetDeviceName(hDevice, buffer, length); }
CRW_EXPORT I CRWOpenDevice(const char* port) { return sim().CRWOpenDevice(port); }
CRW_EXPORT I CRWCloseDevice(I hDevice) { return sim().CRWCloseDevice(hDevice); }
CRW_EXPORT I CRWGetCommDCBState(I hDevice, Dcb* dcb) { return sim().CRWGetCommDCBState(hDevice, dcb); }
CRW_EXPORT I CRWSetCommDCBState(I hDevice, const Dcb* dcb) { return sim().CRWSetCommDCBState(hDevice, dcb); }
CRW_EXPORT I CRWInitial(I hDevice, I* out, I* hFunction, I mode) { return sim().CRWInitial(hDevice, out, hFunction, mode); }
CRW_EXPORT I CRWWaitForCard(I hDevice, I* cardState, I* hFunction) {
  return sim().CRWWaitForCard(hDevice, cardState, hFunction);
}
CRW_EXPORT I CRWCardCancel(I hDevice, I* out, I* hFunction) { return sim().CRWCardCancel(hDevice, out, hFunction); }
CRW_EXPORT I CRWCardOut(I hDevice, I* out, I* hFunction) { return sim().CRWCardOut(hDevice, out, hFunction); }
CRW_EXPORT I CRWSetMode(I hDevice, I* out, I* hFunction, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7) {
  return sim().CRWSetMode(hDevice, out, hFunction, v1, v2, v3, v4, v5, v6, v7);
}
CRW_EXPORT I CRWGetMSData(I hDevice, I* out, I* hFunction, I* mode, I* lengths, char* tracks) {
  return sim().CRWGetMSData(hDevice, out, hFunction, mode, lengths, tracks);
}
CRW_EXPORT I CRWSetMSData(I hDevice, I* dataId, I* hFunction, I mode, I length, const char* data) {
  return sim().CRWSetMSData(hDevice, dataId, hFunction, mode, length, data);
}
CRW_EXPORT I CRWWriteMSData(I hDevice, I dataId, I* hFunction, I* out) {
  return sim().CRWWriteMSData(hDevice, dataId, hFunction, out);
}
CRW_EXPORT I CRWSetPrintMode(I hDevice, I* out, I* hFunction, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7, I* v8,
                             I* v9, I* v10, I* v11) {
  return sim().CRWSetPrintMode(hDevice, out, hFunction, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11);
}
CRW_EXPORT I CRWErasePrint(I hDevice, I* out, I* hFunction) { return sim().CRWErasePrint(hDevice, out, hFunction); }
CRW_EXPORT I CRWPrintData(I hDevice, I* out, I* hFunction, I* x, I* y, I* z, const char* text) {
  return sim().CRWPrintData(hDevice, out, hFunction, x, y, z, text);
}
CRW_EXPORT I CRWPrint(I hDevice, I* out, I* hFunction, I* out2) { return sim().CRWPrint(hDevice, out, hFunction, out2); }
CRW_EXPORT I CRWResultFunction(I hDevice, I hFunction, I* result) {
  return sim().CRWResultFunction(hDevice, hFunction, result);
}
CRW_EXPORT I CRWCloseFunction(I hDevice, I hFunction) { return sim().CRWCloseFunction(hDevice, hFunction); }
