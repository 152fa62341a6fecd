#include "startup/uiStartup.h"
#include "startup/CommandJobs.h"
#include "db/Connection.h"
#include "db/basADODB.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  // "--job ...": run it headless, without a display.
  if (argc > 1 && QByteArray(argv[1]).startsWith("--")) {
    QCoreApplication app(argc, argv);
    const int rc = RunCommandJob(QCoreApplication::arguments()).value_or(2);
    gCnn().close();
    return rc;
  }
  QApplication app(argc, argv);
  if (!sub_Main()) return 0;
  const int rc = QApplication::exec();
  gCnn().close();
  gMsgCnn().close();
  return rc;
}
