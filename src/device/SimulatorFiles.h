#pragma once
// The simulated card reader as a folder, shared by the simulator driver and the simulator
// panel (two processes that meet only in the folder).
//
// Layout of a reader folder (<application folder>/CardSim/<port>, or the port itself when it is
// an absolute path):
//   <reader>/*.card        the card in the slot (at most one)
//   <reader>/deck/*.card   cards outside the reader
//   <reader>/reader.json   the port's line settings and injected reader faults (optional)
//
// A card file is UTF-8 JSON text:
//   {
//     "track1": "5630303030303120...",   stripe tracks 1-3, each byte as two hex digits
//     "track2": "",
//     "track3": "",
//     "face": " 卡號: V000001-001\n...",  printed face, lines separated by LF ("" = blank)
//     "fault": ""                         injected fault, one of the kFault* names or ""
//   }
// reader.json:
//   { "dcb": { "BaudRate": 9600, "ByteSize": 8, "Parity": 2, ... every Dcb field },
//     "offline": false,            true: the reader does not answer its initialisation
//     "refuseLineSettings": false  true: writing the line settings fails }
// Files are replaced atomically, so either side may read while the other writes.
#include "device/ReaderDriver.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// Faults a card can carry. The first three make the card wait refuse the card with the card
// state given; the others make one operation on the card fail.
inline constexpr char kFaultJammed[] = "jammed";            // card state 31: a card already held
inline constexpr char kFaultMisinserted[] = "misinserted";  // card state 33: badly inserted
inline constexpr char kFaultIllegal[] = "illegal";          // card state 35: not a usable card
inline constexpr char kFaultReadFails[] = "readFails";      // stripe cannot be read
inline constexpr char kFaultWriteFails[] = "writeFails";    // stripe cannot be written
inline constexpr char kFaultEraseFails[] = "eraseFails";    // print area cannot be erased
inline constexpr char kFaultPrintFails[] = "printFails";    // print area cannot be printed
// The stripe takes one more write, then the card wears out (kFaultWornOut): a card that goes
// bad in the middle of an operation.
inline constexpr char kFaultFailsAfterWrite[] = "failsAfterWrite";
inline constexpr char kFaultWornOut[] = "wornOut";          // stripe and print area take nothing

struct SimCard {
  std::array<QByteArray, 3> tracks;
  QString face;
  QString fault;

  QByteArray toJson() const;
  // Nothing when the text is not a card file.
  static std::optional<SimCard> fromJson(const QByteArray& json);
  static std::optional<SimCard> load(const QString& file);
  bool save(const QString& file) const;
};

struct SimReaderSettings {
  Dcb dcb;
  bool offline = false;
  bool refuseLineSettings = false;
};

class SimReader {
public:
  // The reader folder of a port under a simulator root folder; empty for an empty port name.
  static QString folderFor(const QString& root, const QString& port);

  explicit SimReader(QString folder);
  const QString& folder() const { return folder_; }
  QString deckFolder() const;
  // Creates the reader and deck folders; false when they cannot be made.
  bool ensure() const;

  // The card file in the slot, empty when the slot is empty.
  QString slotFile() const;
  // Tells one insertion from another: differs whenever a card was put into the slot anew
  // (empty when the slot is empty).
  QString slotIdentity() const;
  // The card files of the deck, by name.
  QStringList deckFiles() const;
  // Moves a deck card into the slot; a card already there goes back to the deck first.
  bool insert(const QString& deckFile) const;
  // Moves the slot card to the deck (also what ejecting does); answers the card's file there,
  // empty when the slot was empty or the move failed.
  QString takeOut() const;
  // Creates a blank card in the deck and answers its file.
  QString newBlankCard() const;

  SimReaderSettings settings() const;
  bool saveSettings(const SimReaderSettings& settings) const;

private:
  QString folder_;
};

// Writes a file through a temporary file and a rename.
bool WriteFileAtomically(const QString& file, const QByteArray& data);
