#include "app/AppFolder.h"
#include "app/QtTranslations.h"
#include "app/uiEnterPressesButtons.h"
#include "app/uiFileChoosers.h"
#include "startup/CommandLine.h"
#include "startup/uiStartup.h"
#include "db/Connection.h"
#include "db/basADODB.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  const CommandLine line = ParseCommandLine(ArgumentList(argc, argv));
  // A command, or a line that is refused, needs no display.
  if (line.kind != CommandLine::Kind::Windows) {
    QCoreApplication app(argc, argv);
    return RunCommandLine(line);
  }
  SetNamedApplicationFolder(line.home);
  QApplication app(argc, argv);
  LoadQtTranslations(app);
  GuardFileChoosers(app);
  PressButtonsOnEnter(app);
  if (!sub_Main()) return 0;
  const int rc = QApplication::exec();
  gCnn().close();
  gMsgCnn().close();
  return rc;
}
