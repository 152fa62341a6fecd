#pragma once
// The blacklisted card file the stores load ("VoidCard.txt"): the table line, the column line
// and one line per card at the blacklisted status, from the card master. The file is written
// beside its target and renamed into place, so the stores never find a part of one.
#include <QString>

class Connection;

inline const QString kVoidCardFileName = QStringLiteral("VoidCard.txt");

struct ExportOutcome {
  enum class Result { Written, NoCards, Failed };
  Result result = Result::Failed;
  int count = 0;
  QString path;
  QString reason;  // why it failed
};

// Writes the file into `dir` (which must exist). Every fault is in the outcome; an earlier file stays as it was
// unless the new one is complete.
ExportOutcome ExportVoidCards(const QString& dir);
ExportOutcome ExportVoidCards(const QString& dir, Connection& cnn);

// A text as the file quotes it: trimmed, single quotes doubled, enclosed in single quotes.
QString VoidCardQuote(const QString& text);
