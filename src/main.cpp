#include "core/AppFolder.h"
#include "ui/QtTranslations.h"
#include "ui/EnterPressesButtons.h"
#include "ui/FileChoosers.h"
#include "app/CommandLine.h"
#include "core/ProgramArguments.h"
#include "app/Startup.h"
#include "db/Connection.h"
#include "db/Database.h"

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
  if (!StartProgram()) return 0;
  const int rc = QApplication::exec();
  gCnn().close();
  gMsgCnn().close();
  return rc;
}
