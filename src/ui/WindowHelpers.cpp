#include "ui/WindowHelpers.h"

#include "ui/ScreenSplit.h"
#include "core/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>

namespace {

template <typename W>
QList<W*> named(QWidget* form, const char* prefix) {
  QList<W*> out;
  for (W* w : form->findChildren<W*>()) {
    if (w->objectName().startsWith(QLatin1String(prefix))) out.append(w);
  }
  return out;
}

// A field without a tab stop is one the operator only reads.
bool hasTabStop(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; }

}  // namespace

void SetBackground(QWidget* control, const QColor& colour) {
  QPalette p = control->palette();
  p.setColor(QPalette::Base, colour);
  control->setPalette(p);
}

void CenterForm(QWidget* form) {
  const QScreen* screen = form->screen() ? form->screen() : QApplication::primaryScreen();
  if (!screen) return;
  // With the built-in simulator its panel stands at the screen's right edge: every window keeps
  // clear of it, or the operator could not reach the panel's buttons during a card wait.
  const QRect available = screen->availableGeometry();
  CenterFormIn(form, TheSettings().readerLibrary.isEmpty() ? MainAreaBesidePanel(available) : available);
}

void CenterFormIn(QWidget* form, const QRect& area) {
  // 25 pixels kept for a taskbar.
  form->move(area.x() + std::max(0, (area.width() - form->frameGeometry().width()) / 2),
             area.y() + std::max(0, (area.height() - form->frameGeometry().height() - 25) / 2));
}

void SelectAll(QLineEdit* field) {
  if (field) field->selectAll();
}

bool KeyMove(QWidget* field, int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down && key != Qt::Key_Up) return false;
  const bool back = key == Qt::Key_Up;
  QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
  QApplication::sendEvent(field, &tab);
  return true;
}

void OpenFieldsForInput(QWidget* form) {
  for (QLineEdit* t : named<QLineEdit>(form, "txt")) {
    t->setReadOnly(!hasTabStop(t));
    SetBackground(t, hasTabStop(t) ? kInputOpen : kInputClosed);
  }
  for (QTextEdit* t : named<QTextEdit>(form, "txt")) {
    t->setReadOnly(!hasTabStop(t));
    SetBackground(t, hasTabStop(t) ? kInputOpen : kInputClosed);
  }
  for (QComboBox* c : named<QComboBox>(form, "cbo")) {
    c->setEnabled(true);
    SetBackground(c, kInputOpen);
  }
  for (QAbstractButton* o : named<QAbstractButton>(form, "opt")) o->setEnabled(true);
}

void ClearInputFields(QWidget* form) {
  for (QLineEdit* t : named<QLineEdit>(form, "txt")) t->clear();
  for (QTextEdit* t : named<QTextEdit>(form, "txt")) t->clear();
  for (QComboBox* c : named<QComboBox>(form, "cbo")) {
    if (c->isEditable()) c->setEditText(QString());
    else c->setCurrentIndex(-1);
  }
}

void LockFields(QWidget* form) {
  for (QLineEdit* t : named<QLineEdit>(form, "txt")) {
    t->setReadOnly(true);
    SetBackground(t, kInputClosed);
  }
  for (QTextEdit* t : named<QTextEdit>(form, "txt")) {
    t->setReadOnly(true);
    SetBackground(t, kInputClosed);
  }
  for (QComboBox* c : named<QComboBox>(form, "cbo")) {
    c->setEnabled(false);
    SetBackground(c, kInputClosed);
  }
  for (QAbstractButton* b : named<QAbstractButton>(form, "opt")) b->setEnabled(false);
  for (QAbstractButton* b : named<QAbstractButton>(form, "chk")) b->setEnabled(false);
}

QLineEdit* ShownField(const QString& name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  edit->setFocusPolicy(Qt::ClickFocus);  // shown values, not typed
  return edit;
}

QGroupBox* FieldFrame(const QString& title, const QList<QPair<QString, QLineEdit*>>& fields, QWidget* parent) {
  auto* frame = new QGroupBox(title, parent);
  auto* grid = new QGridLayout(frame);
  for (int i = 0; i < fields.size(); ++i) {
    fields[i].second->setParent(frame);
    auto* label = new QLabel(fields[i].first, frame);
    label->setBuddy(fields[i].second);
    grid->addWidget(label, i / 2, (i % 2) * 2);
    grid->addWidget(fields[i].second, i / 2, (i % 2) * 2 + 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return frame;
}

void TypeInCapitals(QLineEdit* field) {
  QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
    const QString upper = text.toUpper();
    if (upper == text) return;
    const int cursor = field->cursorPosition();
    field->setText(upper);
    field->setModified(true);
    field->setCursorPosition(cursor);
  });
}
