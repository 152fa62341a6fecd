#pragma once
#include <cstdint>
// For tests only: shortens the time a device operation may take. Only DeviceSession.cpp
// includes it in the program (scripts/check-layers.sh keeps it so).

// Shortens kReaderOperationTimeoutMs to `ms`; 0 restores it.
void SetReaderOperationTimeoutForTest(int ms);
// Sets the session's device handle (0 none, -1 opening failed) without touching the device.
void SetReaderHandleForTest(std::int32_t handle);
// Forgets the session: no device handle, no track mode.
void ForgetReaderSessionForTest();
