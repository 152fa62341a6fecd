#include "device/VendorReader.h"

#include <QFile>
#include <dlfcn.h>

using I = std::int32_t;

// The C exports of a driver library, bound by name.
struct VendorReader::Exports {
  I (*CRWCountOpen)();
  I (*CRWGetDeviceHandle)(I);
  I (*CRWGetDeviceName)(I, char*, I*);
  I (*CRWOpenDevice)(const char*);
  I (*CRWCloseDevice)(I);
  I (*CRWGetCommDCBState)(I, Dcb*);
  I (*CRWSetCommDCBState)(I, const Dcb*);
  I (*CRWInitial)(I, I*, I*, I);
  I (*CRWWaitForCard)(I, I*, I*);
  I (*CRWCardCancel)(I, I*, I*);
  I (*CRWCardOut)(I, I*, I*);
  I (*CRWSetMode)(I, I*, I*, I*, I*, I*, I*, I*, I*, I*);
  I (*CRWGetMSData)(I, I*, I*, I*, I*, char*);
  I (*CRWSetMSData)(I, I*, I*, I, I, const char*);
  I (*CRWWriteMSData)(I, I, I*, I*);
  I (*CRWSetPrintMode)(I, I*, I*, I*, I*, I*, I*, I*, I*, I*, I*, I*, I*, I*);
  I (*CRWErasePrint)(I, I*, I*);
  I (*CRWPrintData)(I, I*, I*, I*, I*, I*, const char*);
  I (*CRWPrint)(I, I*, I*, I*);
  I (*CRWResultFunction)(I, I, I*);
  I (*CRWCloseFunction)(I, I);
};

namespace {

template <typename F>
bool bind(void* lib, const char* name, F& fn, QString& missing) {
  fn = reinterpret_cast<F>(dlsym(lib, name));
  if (!fn) missing += (missing.isEmpty() ? QString() : QStringLiteral(", ")) + QLatin1String(name);
  return fn != nullptr;
}

// An asynchronous call the library cannot take: no function handle, an error status.
I refuse(I* hFunction) {
  if (hFunction) *hFunction = 0;
  return -1;
}

}  // namespace

VendorReader::VendorReader(const QString& path) {
  handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = why ? QString::fromLocal8Bit(why) : QStringLiteral("cannot open ") + path;
    return;
  }
  auto* fn = new Exports{};
  QString missing;
#define TOLVA_BIND(name) bind(handle_, #name, fn->name, missing)
  TOLVA_BIND(CRWCountOpen);
  TOLVA_BIND(CRWGetDeviceHandle);
  TOLVA_BIND(CRWGetDeviceName);
  TOLVA_BIND(CRWOpenDevice);
  TOLVA_BIND(CRWCloseDevice);
  TOLVA_BIND(CRWGetCommDCBState);
  TOLVA_BIND(CRWSetCommDCBState);
  TOLVA_BIND(CRWInitial);
  TOLVA_BIND(CRWWaitForCard);
  TOLVA_BIND(CRWCardCancel);
  TOLVA_BIND(CRWCardOut);
  TOLVA_BIND(CRWSetMode);
  TOLVA_BIND(CRWGetMSData);
  TOLVA_BIND(CRWSetMSData);
  TOLVA_BIND(CRWWriteMSData);
  TOLVA_BIND(CRWSetPrintMode);
  TOLVA_BIND(CRWErasePrint);
  TOLVA_BIND(CRWPrintData);
  TOLVA_BIND(CRWPrint);
  TOLVA_BIND(CRWResultFunction);
  TOLVA_BIND(CRWCloseFunction);
#undef TOLVA_BIND
  fn_ = fn;
  if (!missing.isEmpty()) {
    error_ = path + QStringLiteral(" lacks ") + missing;
    return;
  }
  loaded_ = true;
}

VendorReader::~VendorReader() {
  delete fn_;
  if (handle_) dlclose(handle_);
}

I VendorReader::CRWCountOpen() { return loaded_ ? fn_->CRWCountOpen() : 0; }

I VendorReader::CRWGetDeviceHandle(I index) { return loaded_ ? fn_->CRWGetDeviceHandle(index) : 0; }

I VendorReader::CRWGetDeviceName(I hDevice, char* buffer, I* length) {
  return loaded_ ? fn_->CRWGetDeviceName(hDevice, buffer, length) : 0;
}

I VendorReader::CRWOpenDevice(const char* port) { return loaded_ ? fn_->CRWOpenDevice(port) : 0; }

I VendorReader::CRWCloseDevice(I hDevice) { return loaded_ ? fn_->CRWCloseDevice(hDevice) : 0; }

I VendorReader::CRWGetCommDCBState(I hDevice, Dcb* dcb) { return loaded_ ? fn_->CRWGetCommDCBState(hDevice, dcb) : 0; }

I VendorReader::CRWSetCommDCBState(I hDevice, const Dcb* dcb) {
  return loaded_ ? fn_->CRWSetCommDCBState(hDevice, dcb) : 0;
}

I VendorReader::CRWInitial(I hDevice, I* out, I* hFunction, I mode) {
  return loaded_ ? fn_->CRWInitial(hDevice, out, hFunction, mode) : refuse(hFunction);
}

I VendorReader::CRWWaitForCard(I hDevice, I* cardState, I* hFunction) {
  return loaded_ ? fn_->CRWWaitForCard(hDevice, cardState, hFunction) : refuse(hFunction);
}

I VendorReader::CRWCardCancel(I hDevice, I* out, I* hFunction) {
  return loaded_ ? fn_->CRWCardCancel(hDevice, out, hFunction) : refuse(hFunction);
}

I VendorReader::CRWCardOut(I hDevice, I* out, I* hFunction) {
  return loaded_ ? fn_->CRWCardOut(hDevice, out, hFunction) : refuse(hFunction);
}

I VendorReader::CRWSetMode(I hDevice, I* out, I* hFunction, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7) {
  return loaded_ ? fn_->CRWSetMode(hDevice, out, hFunction, v1, v2, v3, v4, v5, v6, v7) : refuse(hFunction);
}

I VendorReader::CRWGetMSData(I hDevice, I* out, I* hFunction, I* mode, I* lengths, char* tracks) {
  return loaded_ ? fn_->CRWGetMSData(hDevice, out, hFunction, mode, lengths, tracks) : refuse(hFunction);
}

I VendorReader::CRWSetMSData(I hDevice, I* dataId, I* hFunction, I mode, I length, const char* data) {
  return loaded_ ? fn_->CRWSetMSData(hDevice, dataId, hFunction, mode, length, data) : refuse(hFunction);
}

I VendorReader::CRWWriteMSData(I hDevice, I dataId, I* hFunction, I* out) {
  return loaded_ ? fn_->CRWWriteMSData(hDevice, dataId, hFunction, out) : refuse(hFunction);
}

I VendorReader::CRWSetPrintMode(I hDevice, I* out, I* hFunction, I* v1, I* v2, I* v3, I* v4, I* v5, I* v6, I* v7, I* v8,
                              I* v9, I* v10, I* v11) {
  return loaded_ ? fn_->CRWSetPrintMode(hDevice, out, hFunction, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11)
                 : refuse(hFunction);
}

I VendorReader::CRWErasePrint(I hDevice, I* out, I* hFunction) {
  return loaded_ ? fn_->CRWErasePrint(hDevice, out, hFunction) : refuse(hFunction);
}

I VendorReader::CRWPrintData(I hDevice, I* out, I* hFunction, I* x, I* y, I* z, const char* text) {
  return loaded_ ? fn_->CRWPrintData(hDevice, out, hFunction, x, y, z, text) : refuse(hFunction);
}

I VendorReader::CRWPrint(I hDevice, I* out, I* hFunction, I* out2) {
  return loaded_ ? fn_->CRWPrint(hDevice, out, hFunction, out2) : refuse(hFunction);
}

I VendorReader::CRWResultFunction(I hDevice, I hFunction, I* result) {
  if (loaded_) return fn_->CRWResultFunction(hDevice, hFunction, result);
  if (result) *result = -1;
  return 0;
}

I VendorReader::CRWCloseFunction(I hDevice, I hFunction) {
  return loaded_ ? fn_->CRWCloseFunction(hDevice, hFunction) : 0;
}
