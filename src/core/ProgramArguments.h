#pragma once
// The program's arguments as main receives them, shared by the program and the simulator panel.
#include <QString>
#include <QStringList>

// The arguments of main, the program name first.
QStringList ArgumentList(int argc, char* argv[]);
// How many values a Qt window option ("-platform NAME", "-reverse") takes; -1 when `arg` is
// not one. Those options are left to QApplication.
int QtWindowOptionValues(const QString& arg);
