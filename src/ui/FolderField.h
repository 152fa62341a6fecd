#pragma once
// The folder picker of the windows.
class QLineEdit;
class QWidget;

// Lets the operator pick a folder; the chosen folder's full path (up to 260 characters) goes
// into the text box. Cancelling leaves the text box as it was.
void SelectDir(QWidget* owner, QLineEdit* box);
