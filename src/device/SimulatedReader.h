#pragma once
// The built-in card reader/writer: a device model over reader folders (see SimulatorFiles.h).
//
// Every asynchronous operation is pending for the first poll and completes on a later one, so
// callers really poll. The card wait completes on the first poll after that at which a card
// lies in the slot, or when it is cancelled; the card state is 0 for a usable card and 31, 33
// or 35 for a card carrying the fault "jammed", "misinserted" or "illegal". Result codes: 0
// success, 1 refused (cancelled wait, offline reader, bad values), 2 no card in the slot, 3 the
// card's fault, 4 unknown data id, -1 unknown device or function handle.
#include "device/ReaderDriver.h"
#include "device/SimulatorFiles.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <vector>

class SimulatedReader final : public ReaderDriver {
public:
  // Polls an operation stays pending before it may complete.
  static constexpr int kPendingPolls = 1;

  // `root` answers the folder under which relative port names are reader folders.
  explicit SimulatedReader(std::function<QString()> root);

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

private:
  struct Operation {
    int pendingPolls = kPendingPolls;
    bool done = false;
    std::int32_t result = 0;
    bool isWait = false;
    bool cancelled = false;
    std::function<bool()> ready;           // null: ready once the pending polls have passed
    std::function<std::int32_t()> finish;  // the operation's effect; answers the result code
  };
  struct Device {
    QString port;
    QString folder;
    std::map<std::int32_t, Operation> operations;
    std::int32_t nextFunction = 1;
    std::int32_t trackMode = 0;
    std::map<std::int32_t, QByteArray> stripeData;
    std::int32_t nextDataId = 1;
    std::vector<QByteArray> printLines;
  };

  Device* device(std::int32_t hDevice);
  // Registers an operation; answers 0 (accepted) and the function handle, or -1 for an
  // unknown device.
  std::int32_t start(std::int32_t hDevice, std::int32_t* hFunction, Operation op);
  // The slot card's file and contents; the result code 2 when the slot is empty.
  std::int32_t withSlotCard(const Device& dev, const std::function<std::int32_t(const QString&, SimCard&)>& use);

  std::function<QString()> root_;
  std::map<std::int32_t, Device> devices_;
  std::int32_t nextHandle_ = 1;
};
