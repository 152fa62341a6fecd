#pragma once
// The one clock every date rule asks, so that tests can fix "today".
#include <QDate>
#include <QDateTime>

QDateTime Now();
QDate Today();
// Fixes the clock at the given moment; an invalid value gives the real clock back.
void SetNowForTest(const QDateTime& moment);
