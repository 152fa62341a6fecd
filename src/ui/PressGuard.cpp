#include "ui/PressGuard.h"

#include "core/ErrorReport.h"

void RunPress(bool& busy, std::initializer_list<QWidget*> controls, const QString& label,
              const std::function<void()>& handler) {
  const PressGuard press(busy, controls);
  if (!press) return;
  try {
    handler();
  } catch (...) {
    ReportError(label);
  }
}
