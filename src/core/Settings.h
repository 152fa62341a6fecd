#pragma once
// Process-wide settings and scratch values shared by every window. They are filled at
// start-up and read directly by the screens.
#include <QObject>
#include <QString>
#include <QVariant>

// Paths
inline QString gAppPath;      // application folder (executable folder or TOLVA_HOME)
inline QString gAppName;      // executable name without extension, e.g. "tolva"
inline QString gIniFile;      // full path of the configuration file
inline QString gLogFile;      // full path of the text log
inline QString gErrFile;      // full path of the error log

// From the INI file, section PARAM
inline QString gCustName;
inline QString gCalendar = QStringLiteral("YYYY/MM/DD");
inline QString gDateSep = QStringLiteral("/");
inline QString gLogoFile;
inline QString gUserID;
inline QString gWorkstation;
inline QString gCNT;
inline QString gBorixPort;
inline QString gCrwLibrary;  // card reader driver library; empty: the built-in simulator
inline QString gCorpName;
inline QString gAmtFmt;
inline QString gCaptionFile;

// From the parameter table
inline QString gCardMsgFile = QStringLiteral("CardMsg.txt");
inline QString gBatchNo = QStringLiteral("V0001");
inline QString gDefCardType = QStringLiteral("V");
inline QString gBatchKey;
inline QString gStoreID = QStringLiteral("000");

// Database dialect
inline QString gDBPassword;
inline QString gNowFunc = QStringLiteral("getDate()");
inline QString gDateQuote = QStringLiteral("'");
inline QString gDBType = QStringLiteral("SQL_DB");

// Scratch values: the message about to be shown and the SQL text being built

// The main window once start-up has shown it
inline QObject* gMainForm = nullptr;
