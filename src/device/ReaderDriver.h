#pragma once
// The card reader/writer driver: one method per driver call the device session uses, with the
// vendor library's contracts. Integers are 32-bit, "out" arguments are written by the driver,
// texts are code-page bytes.
//
// Asynchronous calls return a status and write a function handle; the caller polls
// CRWResultFunction (non-zero while pending, 0 when done with the result code written, 0 for
// success) and finally releases the handle with CRWCloseFunction. Out variables handed to an
// asynchronous call must stay alive until its handle is closed: the driver fills them when the
// operation completes.
#include <cstdint>

// The serial line settings of a port, laid out as the Windows DCB structure (its bit fields
// packed into `Flags`). The session changes BaudRate, ByteSize and Parity and keeps the rest.
struct Dcb {
  std::uint32_t DCBlength = sizeof(Dcb);
  std::uint32_t BaudRate = 0;
  std::uint32_t Flags = 0;
  std::uint16_t wReserved = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  std::uint16_t wReserved1 = 0;
};
static_assert(sizeof(Dcb) == 28, "Dcb must keep the Windows DCB layout");

class ReaderDriver {
public:
  virtual ~ReaderDriver() = default;

  // Devices open in this process, and the handle of the index-th one (> 0).
  virtual std::int32_t CRWCountOpen() = 0;
  virtual std::int32_t CRWGetDeviceHandle(std::int32_t index) = 0;
  // The port name of an open device into `buffer` (NUL-terminated). `length` holds the buffer
  // size on entry and the name's length on return. Non-zero on success.
  virtual std::int32_t CRWGetDeviceName(std::int32_t hDevice, char* buffer, std::int32_t* length) = 0;
  // Opens the reader on a port ("COM1"); a handle > 0, else failure.
  virtual std::int32_t CRWOpenDevice(const char* port) = 0;
  virtual std::int32_t CRWCloseDevice(std::int32_t hDevice) = 0;
  virtual std::int32_t CRWGetCommDCBState(std::int32_t hDevice, Dcb* dcb) = 0;
  virtual std::int32_t CRWSetCommDCBState(std::int32_t hDevice, const Dcb* dcb) = 0;

  // Asynchronous operations.
  virtual std::int32_t CRWInitial(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                  std::int32_t mode) = 0;
  // Completes when a card is in the reader; `cardState` then tells whether it was refused.
  virtual std::int32_t CRWWaitForCard(std::int32_t hDevice, std::int32_t* cardState, std::int32_t* hFunction) = 0;
  // Ends a pending card wait.
  virtual std::int32_t CRWCardCancel(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) = 0;
  virtual std::int32_t CRWCardOut(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) = 0;
  virtual std::int32_t CRWSetMode(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                  std::int32_t* v1, std::int32_t* v2, std::int32_t* v3, std::int32_t* v4,
                                  std::int32_t* v5, std::int32_t* v6, std::int32_t* v7) = 0;
  // Reads the three tracks: `lengths[0..2]` receive the byte lengths of tracks 1-3, `tracks`
  // points at three consecutive 256-byte buffers.
  virtual std::int32_t CRWGetMSData(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                    std::int32_t* mode, std::int32_t* lengths, char* tracks) = 0;
  // Hands the stripe data to the device under a data id; a function handle of 0 means refused.
  virtual std::int32_t CRWSetMSData(std::int32_t hDevice, std::int32_t* dataId, std::int32_t* hFunction,
                                    std::int32_t mode, std::int32_t length, const char* data) = 0;
  // Writes the data given under `dataId` to the stripe.
  virtual std::int32_t CRWWriteMSData(std::int32_t hDevice, std::int32_t dataId, std::int32_t* hFunction,
                                      std::int32_t* out) = 0;
  virtual std::int32_t CRWSetPrintMode(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                       std::int32_t* v1, std::int32_t* v2, std::int32_t* v3, std::int32_t* v4,
                                       std::int32_t* v5, std::int32_t* v6, std::int32_t* v7, std::int32_t* v8,
                                       std::int32_t* v9, std::int32_t* v10, std::int32_t* v11) = 0;
  virtual std::int32_t CRWErasePrint(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction) = 0;
  // Buffers one line (ESC 'e' p q text) at a position; CRWPrint prints the buffered lines.
  virtual std::int32_t CRWPrintData(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                    std::int32_t* x, std::int32_t* y, std::int32_t* z, const char* text) = 0;
  virtual std::int32_t CRWPrint(std::int32_t hDevice, std::int32_t* out, std::int32_t* hFunction,
                                std::int32_t* out2) = 0;

  // Polling and release of function handles.
  virtual std::int32_t CRWResultFunction(std::int32_t hDevice, std::int32_t hFunction, std::int32_t* result) = 0;
  virtual std::int32_t CRWCloseFunction(std::int32_t hDevice, std::int32_t hFunction) = 0;
};
