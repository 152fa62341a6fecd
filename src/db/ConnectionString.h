#pragma once
// ADO-style connection strings ("Key=value;Key=value"): parsed once, masked for every message
// and log, and values quoted for the strings the program builds.
#include <QList>
#include <QMap>
#include <QString>

class ConnectionString {
public:
  // One "key=value" pair, with where its value stands in the text (for masking).
  struct Part {
    QString key;    // as written, blanks around it removed
    QString value;  // blanks around it removed; a {braced} value without its braces
    qsizetype valueFrom = 0;
    qsizetype valueTo = 0;
  };

  // Pairs are separated by ";". A key runs to the first "=" (later ones belong to the value).
  // A value in braces, as ODBC writes them, may hold ";" and "="; "}}" inside stands for "}".
  // A brace that is never closed takes the rest of the text. A segment without "=" is ignored.
  explicit ConnectionString(const QString& text = QString());

  const QString& text() const { return text_; }
  const QList<Part>& parts() const { return parts_; }
  // The value of a key (any letter case); the last one counts when a key appears twice.
  QString value(const QString& key, const QString& fallback = QString()) const;
  bool contains(const QString& key) const;
  // The text with every Password/PWD value replaced by "****", whatever it holds.
  QString masked() const;
  // Another text (a driver's message) with this string's password hidden: in its own pairs,
  // and wherever the driver repeats it (a password of three characters or more).
  QString hidePassword(const QString& text) const;

private:
  QString text_;
  QList<Part> parts_;
};

// The pairs of a connection string, keys case-folded (lower case for every key the program
// knows), as value() compares them.
QMap<QString, QString> ParseConnectionString(const QString& cnt);
// The connection string with every password value replaced by asterisks.
QString MaskPassword(const QString& cnt);
// A value as it may stand in a connection string: in braces (a "}" doubled) when it holds a
// character that ODBC gives a meaning ([]{}(),;?*=!@) or blanks at its ends; otherwise as it is.
QString QuoteConnectionValue(const QString& value);
