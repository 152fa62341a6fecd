#pragma once
// The one clock every date rule asks, so that tests can fix "today" (core/ClockSeam.h), and
// the pauses the windows make for the operator's eye.
#include <QDate>
#include <QDateTime>

QDateTime Now();
QDate Today();
// Waits `seconds` while window events go on, so the program stays responsive.
void Delay(double seconds);
