#pragma once
// The program's settings: where its files are, the configuration file's PARAM section, the
// card settings of the parameter table and the database dialect. Start-up fills them once;
// everything after reads them through TheSettings().
#include <QString>

struct Settings {
  // Paths
  QString appPath;       // application folder (executable folder or TOLVA_HOME)
  QString appName;       // executable name without extension, e.g. "tolva"
  QString iniFile;       // full path of the configuration file
  QString logFile;       // full path of the text log
  QString errorLogFile;  // full path of the error log

  // From the configuration file, section PARAM
  QString customerName;
  QString calendar = QStringLiteral("YYYY/MM/DD");
  QString dateSeparator = QStringLiteral("/");
  QString logoFile;
  QString operatorId;
  QString workstation;
  QString connectionString;
  QString readerPort;
  QString readerLibrary;  // card reader driver library; empty: the built-in simulator
  QString corporationName;
  QString amountFormat;
  QString captionFile;
  bool dailyBackup = true;  // a copy of the embedded database at the first start of each day

  // From the parameter table
  QString cardMessageFile = QStringLiteral("CardMsg.txt");
  QString batchNo = QStringLiteral("V0001");
  QString defaultCardType = QStringLiteral("V");
  QString batchKey;
  QString storeId = QStringLiteral("000");

  // Database dialect
  QString dbPassword;
  QString nowFunction = QStringLiteral("getDate()");
  QString dateQuote = QStringLiteral("'");
  QString dbType = QStringLiteral("SQL_DB");
};

// The settings of this process.
const Settings& TheSettings();
// Where start-up (and a test's set-up) fills them in.
Settings& EditSettings();
