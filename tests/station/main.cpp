// One workstation of the program's core, run as a process of its own by the two-workstation
// tests: its own application folder and simulated reader, the shared database, and an
// operator who feeds the reader.
//
//   tolva_station HOME CNT WS issue N            issues N cards (type V, 100, store 001), each on
//                                                a fresh blank card
//   tolva_station HOME CNT WS topup CARD AMT N   N counter top-ups of AMT on the card in file CARD
//   tolva_station HOME CNT WS deduct CARD AMT N  N counter deductions of AMT
//   tolva_station HOME CNT WS import DIR         imports the store files waiting in DIR
//
// Prints what the operator was shown, one line each, and exits with 0 when nothing failed.
#include "core/Settings.h"
#include "device/SimulatorFiles.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "operations/ExchangeJobs.h"
#include "windows/counter/MainWindow.h"
#include "windows/issue/IssueWindow.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTextStream>
#include <cstdio>

namespace {

SimReader Reader() { return SimReader(SimReader::folderFor(TheSettings().appPath + QStringLiteral("/CardSim"), TheSettings().readerPort)); }

void Setup(const QString& home, const QString& ws) {
  EditSettings().appName = QStringLiteral("tolva");
  EditSettings().appPath = home;
  EditSettings().iniFile = home + QStringLiteral("/tolva.INI");
  EditSettings().errorLogFile = home + QStringLiteral("/tolva.ERR");
  EditSettings().logFile = home + QStringLiteral("/tolva.LOG");
  EditSettings().operatorId = ws;
  EditSettings().workstation = ws;
  EditSettings().storeId = QStringLiteral("001");
  EditSettings().readerPort = QStringLiteral("COM1");
  EditSettings().batchKey = QStringLiteral("AB12");
  EditSettings().batchNo = QStringLiteral("V0001");
  EditSettings().defaultCardType = QStringLiteral("V");
  EditSettings().cardMessageFile = home + QStringLiteral("/CardMsg.txt");
  QDir().mkpath(home);
  QDir::setCurrent(home);
  Reader().ensure();
}

// Every failure the operator saw, printed; answers how many there were.
int Report(const ScriptedDialogs& dialogs) {
  int failures = 0;
  for (const auto& s : dialogs.shown) {
    if (s.kind == QLatin1String("waitForCard")) continue;
    std::printf("%s: %s\n", qPrintable(s.kind), qPrintable(s.text));
    ++failures;
  }
  return failures;
}

int Issue(ScriptedDialogs& dialogs, int n) {
  // A fresh blank card at every wait, as an operator with a stack of new cards.
  dialogs.atEveryCardWait = [] { Reader().insert(Reader().newBlankCard()); };
  IssueWindow w;
  w.txtCardType()->setText(QStringLiteral("V"));
  w.txtCardCnt()->setText(QString::number(n));
  w.txtStoreID()->setText(QStringLiteral("001"));
  w.txtBalAmt()->setText(QStringLiteral("100"));
  w.issueCards();
  return Report(dialogs);
}

int Counter(ScriptedDialogs& dialogs, const QString& cardFile, const QString& amount, int n, bool topUp) {
  const QString inDeck = Reader().deckFolder() + QStringLiteral("/card.card");
  if (!QFile::copy(cardFile, inDeck)) return 2;
  dialogs.atEveryCardWait = [inDeck] { Reader().insert(inDeck); };
  MainWindow w;
  for (int i = 0; i < n; ++i) {
    w.field(QStringLiteral("txtAmt"))->setText(amount);
    topUp ? w.topUpCard() : w.deductAmount();
  }
  return Report(dialogs);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList a = app.arguments();
  if (a.size() < 6) {
    std::fprintf(stderr, "usage: tolva_station HOME CNT WS COMMAND ARGS...\n");
    return 2;
  }
  Setup(a[1], a[3]);
  if (!OpenConnection(a[2], gCnn())) return 2;
  SetDBType();
  ScriptedDialogs dialogs;
  dialogs.maxPolls = 2000;
  const QString command = a[4];
  int failures = 0;
  if (command == QLatin1String("issue")) {
    failures = Issue(dialogs, a[5].toInt());
  } else if ((command == QLatin1String("topup") || command == QLatin1String("deduct")) && a.size() >= 8) {
    failures = Counter(dialogs, a[5], a[6], a[7].toInt(), command == QLatin1String("topup"));
  } else if (command == QLatin1String("import")) {
    QTextStream out(stdout);
    failures = RunImportJob(a[5], out);
  } else {
    std::fprintf(stderr, "unknown command %s\n", qPrintable(command));
    return 2;
  }
  gCnn().close();
  return failures == 0 ? 0 : 1;
}
