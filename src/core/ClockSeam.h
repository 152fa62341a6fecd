#pragma once
// For tests and benchmarks only: fixes the moment that Now() and Today() answer, and lets
// Delay's pauses pass at once. Only Clock.cpp includes it in the program
// (scripts/check-layers.sh keeps it so).
#include <QDateTime>

// Fixes the clock at the given moment; an invalid value gives the real clock back.
void SetNowForTest(const QDateTime& moment);
// True: Delay runs the waiting window events once and returns at once.
void SkipDelaysForTest(bool skip);
