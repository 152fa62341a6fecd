#pragma once
// The message window as every window calls it.
#include <QString>

// Shows the message in the message window for the given seconds (3 by default) and waits.
void ShowMessage(const QString& message, int seconds = 3);
