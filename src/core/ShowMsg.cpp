#include "core/ShowMsg.h"

#include "core/OperatorDialogs.h"

void ShowMsg(const QString& message, int seconds) { Dialogs().showMsg(message, seconds > 0 ? seconds : 3); }
