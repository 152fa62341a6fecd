#pragma once
// The card reader/writer driver in use: the vendor library named by INI PARAM/CrwLibrary
// (gCrwLibrary), or the built-in simulator when that is empty.
#include "card/CrwDriver.h"

class CrwSimulator;

CrwDriver& CrwDevice();
// The built-in simulator; its reader folders lie under <application folder>/CardSim.
CrwSimulator& BuiltInCrwSimulator();
// Makes `driver` the one in use (tests); nullptr goes back to the configured one.
void SetCrwDeviceForTest(CrwDriver* driver);
