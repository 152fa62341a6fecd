#pragma once
// The card reader/writer driver in use: the vendor library named by INI PARAM/CrwLibrary
// (TheSettings().readerLibrary), or the built-in simulator when that is empty.
#include "device/ReaderDriver.h"

#include <QString>

class SimulatedReader;

ReaderDriver& CurrentReaderDriver();
// The built-in simulator; its reader folders lie under <application folder>/CardSim.
SimulatedReader& BuiltInSimulatedReader();
// The file a driver library name (INI PARAM/CrwLibrary) opens: see the search order in the
// loader; a name found nowhere is left to the system's own search.
QString ReaderLibraryPath(const QString& name);
