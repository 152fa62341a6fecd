#include "startup/uiStartup.h"
#include "db/Connection.h"
#include "db/basADODB.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (!sub_Main()) return 0;
  const int rc = QApplication::exec();
  gCnn().close();
  gMsgCnn().close();
  return rc;
}
