#pragma once
// For tests only: fixes the moment that Now() and Today() answer. Only Clock.cpp includes it
// in the program (scripts/check-layers.sh keeps it so).
#include <QDateTime>

// Fixes the clock at the given moment; an invalid value gives the real clock back.
void SetNowForTest(const QDateTime& moment);
