#pragma once
// While a button's handler runs, its buttons are disabled and the handler is not entered again:
// the card wait and the status pauses let window events run, and a press that arrives some
// other way must not start a second run inside the first.
#include <QApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <vector>

class PressGuard {
public:
  PressGuard(bool& busy, std::initializer_list<QWidget*> controls) : busy_(busy), entered_(!busy) {
    if (!entered_) return;
    busy_ = true;
    QWidget* focused = QApplication::focusWidget();
    for (QWidget* control : controls) {
      if (control && control == focused) pressed_ = control;
      if (control) control->setEnabled(false);
      controls_.emplace_back(control);
    }
    movedTo_ = QApplication::focusWidget();
  }
  ~PressGuard() {
    if (!entered_) return;
    for (const QPointer<QWidget>& control : controls_) {
      if (control) control->setEnabled(true);
    }
    busy_ = false;
    // Disabling the pressed button moved the focus on; a keyboard operator expects it back,
    // unless the handler chose another place for it.
    QWidget* now = QApplication::focusWidget();
    if (pressed_ && pressed_->isVisible() && (now == movedTo_ || !now)) pressed_->setFocus(Qt::OtherFocusReason);
  }
  PressGuard(const PressGuard&) = delete;
  PressGuard& operator=(const PressGuard&) = delete;

  // False when a run was under way already: the handler returns at once.
  explicit operator bool() const { return entered_; }

private:
  bool& busy_;
  bool entered_;
  std::vector<QPointer<QWidget>> controls_;
  QPointer<QWidget> pressed_, movedTo_;
};

// Runs a button's handler under a press guard; whatever the handler lets out is reported in
// the error log under `label`.
void RunPress(bool& busy, std::initializer_list<QWidget*> controls, const QString& label,
              const std::function<void()>& handler);
