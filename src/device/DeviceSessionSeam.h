#pragma once
// For tests only: shortens the time a device operation may take. Only DeviceSession.cpp
// includes it in the program (scripts/check-layers.sh keeps it so).

// Shortens kCrwOperationTimeoutMs to `ms`; 0 restores it.
void SetCrwOperationTimeoutForTest(int ms);
