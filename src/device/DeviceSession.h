#pragma once
// The card reader/writer session: synchronous routines over the asynchronous driver. Each
// routine blocks the caller but lets window events run while it polls the device.
//
// Codes shared by the routines: -1 the device handle is negative (opening failed), -2 no
// device open, -3 no track mode set.
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstdint>

// Session state, kept between card operations: the device handle (> 0 open, 0 none, -1
// opening failed), the track mode last set (0 = not set) and the option set with it.
std::int32_t ReaderHandle();
std::int32_t StripeMode();
std::int32_t StripeOption();

// Opens the reader on TheSettings().readerPort and waits for a card. True when a usable card is in the
// reader; otherwise `msg` says why and `code` (when given) holds -99 (the reader did not open),
// -21 (cancelled), -2 or the card state that refused the card.
bool OpenReaderAndWaitForCard(QString& msg, std::int32_t* code = nullptr);
// Opens and initialises the reader and ejects any card. On failure `msg` says why.
bool InitReader(const QString& port, QString& msg);
// The device handle on the port, or -1.
std::int32_t OpenReaderPort(const QString& port);
// 0 when the device initialised, else -2 (the device is then closed).
std::int32_t OpenReader();
// The card state of the card that arrived, -2 (no device) or -21 (the operator cancelled).
std::int32_t WaitForCard();
// Polls an asynchronous operation until it completes, then releases its handle. `result`
// holds the operation's status on entry and its result code (0 = success) on return.
void WaitForResult(std::int32_t hDevice, std::int32_t hFunction, std::int32_t& result);
std::int32_t EjectCard();

// Magnetic stripe.
std::int32_t SetStripeMode(std::int32_t mode, std::int32_t& option);  // 0 or -31
// One track (1-3) as code-page bytes, or as text. 0, -1, -2, -3 or -32.
std::int32_t ReadTrack(std::int32_t track, QByteArray& data);
std::int32_t ReadTrack(std::int32_t track, QString& text);
// Writes the stripe. 0, -1, -2, -3, -4 (refused), -33 (write failed) or -34 (data refused).
std::int32_t WriteTrack(const QByteArray& data);
std::int32_t WriteTrack(const QString& text);

// Print area.
std::int32_t SetPrintMode(std::int32_t a, std::int32_t& b, std::int32_t& c);  // 0, -1, -2 or -51
std::int32_t EraseFace();                                                      // 0, -1, -2 or -52
// Prints one text at a position: the device receives ESC 'e', the first characters of `p`
// and `q`, then the text. 0, -1, -2, -53 (not taken) or -54 (not printed).
std::int32_t PrintFaceText(std::int32_t& x, std::int32_t& y, std::int32_t& z, const QString& text,
                           const QVariant& unused, const QString& p, const QString& q);

// A device operation that has not completed after this long counts as failed, with the result
// code kReaderTimedOut, so that a device that stops answering cannot hang the program.
inline constexpr int kReaderOperationTimeoutMs = 60000;
inline constexpr std::int32_t kReaderTimedOut = -99;
