#pragma once
// The operation windows that the main window's menu opens, by the name of their button.
#include <QString>

class QWidget;

bool HasOperationWindow(const QString& buttonName);
// A new window for the button; the caller keeps it and reuses it.
QWidget* CreateOperationWindow(const QString& buttonName);
