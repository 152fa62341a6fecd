#include "core/ShowMessage.h"

#include "core/OperatorDialogs.h"

void ShowMessage(const QString& message, int seconds) { Dialogs().showMessage(message, seconds > 0 ? seconds : 3); }
