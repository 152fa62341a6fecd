#pragma once
// The one clock every date rule asks, so that tests can fix "today" (core/ClockSeam.h).
#include <QDate>
#include <QDateTime>

QDateTime Now();
QDate Today();
