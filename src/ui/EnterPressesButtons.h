#pragma once
// Enter on a focused button presses it, in every window of the process: the counter works from
// the keyboard, and Enter in a field already moves the focus on to the next stop, which is
// often the button the operator means to press. Qt presses only a dialog's default button.
class QApplication;

void PressButtonsOnEnter(QApplication& app);
