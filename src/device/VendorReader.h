#pragma once
// A vendor driver shared library, opened at run time and bound by export name. A library that
// cannot be opened, or lacks an export the session uses, fails every call: the device does
// not open and every operation completes at once with an error.
#include "device/ReaderDriver.h"

#include <QString>

class VendorReader final : public ReaderDriver {
public:
  explicit VendorReader(const QString& path);
  ~VendorReader() override;
  VendorReader(const VendorReader&) = delete;
  VendorReader& operator=(const VendorReader&) = delete;

  bool isLoaded() const { return loaded_; }
  // Why the library could not be used; empty when it loaded.
  const QString& errorText() const { return error_; }

  std::int32_t CRWCountOpen() override;
  std::int32_t CRWGetDeviceHandle(std::int32_t index) override;
  std::int32_t CRWGetDeviceName(std::int32_t hDevice, char* buffer, std::int32_t* length) override;
  std::int32_t CRWOpenDevice(const char* port) override;
  std::int32_t CRWCloseDevice(std::int32_t hDevice) override;
  std::int32_t CRWGetCommDCBState(std::int32_t hDevice, Dcb* dcb) override;
  std::int32_t CRWSetCommDCBState(std::int32_t hDevice, const Dcb* dcb) override;
  std::int32_t CRWInitial(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction, std::int32_t mode) override;
  std::int32_t CRWWaitForCard(std::int32_t hDevice, std::int32_t* cardState, std::int32_t* hFunction) override;
  std::int32_t CRWCardCancel(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) override;
  std::int32_t CRWCardOut(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) override;
  std::int32_t CRWSetMode(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction, std::int32_t* v1,
                          std::int32_t* v2, std::int32_t* v3, std::int32_t* v4, std::int32_t* v5, std::int32_t* v6,
                          std::int32_t* v7) override;
  std::int32_t CRWGetMSData(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction, std::int32_t* mode,
                            std::int32_t* lengths, char* tracks) override;
  std::int32_t CRWSetMSData(std::int32_t hDevice, std::int32_t* dataId, std::int32_t* hFunction, std::int32_t mode,
                            std::int32_t length, const char* data) override;
  std::int32_t CRWWriteMSData(std::int32_t hDevice, std::int32_t dataId, std::int32_t* hFunction,
                              std::int32_t* out) override;
  std::int32_t CRWSetPrintMode(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction, std::int32_t* v1,
                               std::int32_t* v2, std::int32_t* v3, std::int32_t* v4, std::int32_t* v5,
                               std::int32_t* v6, std::int32_t* v7, std::int32_t* v8, std::int32_t* v9,
                               std::int32_t* v10, std::int32_t* v11) override;
  std::int32_t CRWErasePrint(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) override;
  std::int32_t CRWPrintData(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction, std::int32_t* x,
                            std::int32_t* y, std::int32_t* z, const char* text) override;
  std::int32_t CRWPrint(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction, std::int32_t* out2) override;
  std::int32_t CRWResultFunction(std::int32_t hDevice, std::int32_t hFunction, std::int32_t* result) override;
  std::int32_t CRWCloseFunction(std::int32_t hDevice, std::int32_t hFunction) override;

  struct Exports;

private:
  void* handle_ = nullptr;
  bool loaded_ = false;
  QString error_;
  Exports* fn_ = nullptr;
};
