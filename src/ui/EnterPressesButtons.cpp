#include "ui/EnterPressesButtons.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace {

class EnterPressesButtons : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier))
      return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !(qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button))) return false;
    if (!button->isEnabled() || !button->isVisible() || !button->hasFocus()) return false;
    // Taken here, so that a dialog does not press its default button as well.
    button->click();
    return true;
  }
};

}  // namespace

void PressButtonsOnEnter(QApplication& app) { app.installEventFilter(new EnterPressesButtons(&app)); }
