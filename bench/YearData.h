#pragma once
// A chain's year, made up: stores, cards with their lives (issue, sale, top-ups, deductions,
// point deductions, reversals, re-issues, blacklisting, erasing), the journal those lives write
// with the ledger of the stores' imported files, and the application log of the counters. The
// same seed and shape give the same rows on either dialect; the masters agree with the journal.
#include "core/Fetched.h"

#include <QDate>
#include <QString>

class Connection;

struct YearShape {
  qint64 cards = 1000000;  // cards issued in the year (their replacements come on top)
  qint64 journalRows = 20000000;
  qint64 logRows = 5000000;
  int stores = 500;
  QDate first{2026, 1, 1};
  int days = 365;
  quint64 seed = 2026;

  // The same year with `f` times the cards, journal and log rows (stores: at least 5).
  YearShape scaled(double f) const;
  QDate last() const { return first.addDays(days - 1); }
};

struct YearCounts {
  qint64 cards = 0;  // master rows, replacements included
  qint64 journalRows = 0;
  qint64 logRows = 0;
  qint64 blacklisted = 0;
};

// Fills an empty database (the program's schema, no rows) with the year: one transaction,
// bulk loaded. Answers what went in.
Fetched<YearCounts> FillYear(Connection& cnn, const YearShape& shape);

// Names the year's rows use, for what is measured on it.
QString YearStoreID(int store);    // store 0 is "001"
QString YearStoreName(int store);  // "分店001"
QString YearCardNo(qint64 card);   // card 0 is "V0000001"
