#pragma once
// Window routines that work on every control of a window by its name prefix
// ("txt", "cbo", "opt", "chk").
#include <QColor>
#include <QList>
#include <QPair>
#include <QString>

class QRect;
class QWidget;
class QLineEdit;

inline const QColor kInputOpen(255, 255, 192);    // light yellow
inline const QColor kInputClosed(224, 224, 224);  // light grey

void CenterForm(QWidget* form);
// Centres the window in a part of its screen (never left of or above it).
void CenterFormIn(QWidget* form, const QRect& area);
void SelectAll(QLineEdit* field);
// Enter and Down move to the next field, Up to the previous one. True when the key moved.
bool KeyMove(QWidget* field, int key);
void OpenFieldsForInput(QWidget* form);
void ClearInputFields(QWidget* form);
void LockFields(QWidget* form);
void SetBackground(QWidget* control, const QColor& colour);
// What the operator types into the field appears in capitals (codes such as store codes,
// which would otherwise name two stores as "b02" and "B02").
void TypeInCapitals(QLineEdit* field);

// A window that can hold edits not saved yet. The program's exit asks every such window,
// shown or hidden by the menu, before it closes anything.
class UnsavedEdits {
public:
  // True when nothing is unsaved or the operator gives the edits up (they are dropped then, so
  // that closing does not ask again); false keeps edits and window.
  virtual bool mayDiscardEdits() = 0;

protected:
  ~UnsavedEdits() = default;
};

// A field that shows a value and takes no typing.
QLineEdit* ShownField(const QString& name, QWidget* parent);
// A titled frame of shown fields, two label-and-field pairs to a row.
class QGroupBox* FieldFrame(const QString& title, const QList<QPair<QString, QLineEdit*>>& fields, QWidget* parent);
