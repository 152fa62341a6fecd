#pragma once
// For tests only: a look at the blacklist file before it replaces the target. Only
// BlacklistFile.cpp includes it in the program (scripts/check-layers.sh keeps it so).
#include <functional>

class QFileDevice;

// Called with the finished temporary file before it replaces the target; false makes the
// write fail as a full disk would. Empty removes it.
void SetVoidCardWriteHookForTest(std::function<bool(QFileDevice&)> hook);
