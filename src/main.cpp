#include "startup/CommandLine.h"
#include "startup/uiStartup.h"
#include "db/Connection.h"
#include "db/basADODB.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  // A job named on the command line needs no display.
  if (IsCommandLineJob(argc, argv)) {
    QCoreApplication app(argc, argv);
    return RunCommandLineJob(QCoreApplication::arguments());
  }
  QApplication app(argc, argv);
  if (!sub_Main()) return 0;
  const int rc = QApplication::exec();
  gCnn().close();
  gMsgCnn().close();
  return rc;
}
