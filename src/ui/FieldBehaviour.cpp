#include "ui/FieldBehaviour.h"

#include "core/Dates.h"
#include "ui/DatePicker.h"
#include "ui/StatusPanel.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {
// Set while the focus is being put back into a refused field, so that the field the focus
// leaves on the way is not checked in turn.
bool g_restoringFocus = false;

const char* const kSkipChecks = "tolvaSkipFieldChecks";

// The focus is on its way to a control that does not check the field it leaves. On focus-out
// the application already names the new focus widget.
bool focusGoesToSkipper() {
  const QWidget* next = QApplication::focusWidget();
  return next && next->property(kSkipChecks).toBool();
}
}  // namespace

void SkipFieldChecks(QWidget* control) {
  if (control) control->setProperty(kSkipChecks, true);
}

FieldBehaviour::FieldBehaviour(QLineEdit* field) : QObject(field), field_(field) {
  setObjectName(QStringLiteral("FieldBehaviour"));
  field->installEventFilter(this);
  // A value the window puts in (a card read, a picker) replaces the one complained about.
  connect(field, &QLineEdit::textChanged, this, [this] {
    if (!field_->isModified()) withdrawComplaint();
  });
}

StatusPanel* FieldBehaviour::panel() const {
  for (QWidget* w = field_->parentWidget(); w; w = w->parentWidget())
    if (auto* bar = w->findChild<StatusPanel*>()) return bar;
  return nullptr;
}

void FieldBehaviour::withdrawComplaint() {
  if (complaint_.isEmpty()) return;
  StatusPanel* bar = panel();
  if (bar && bar->caption() == complaint_) bar->setCaption(QString());
  complaint_.clear();
}

FieldBehaviour* FieldBehaviour::install(QLineEdit* field) {
  if (FieldBehaviour* existing = of(field)) return existing;
  return new FieldBehaviour(field);
}

FieldBehaviour* FieldBehaviour::of(QLineEdit* field) {
  return field ? field->findChild<FieldBehaviour*>(QStringLiteral("FieldBehaviour"), Qt::FindDirectChildrenOnly)
               : nullptr;
}

bool FieldBehaviour::validate() {
  const StatusPanel* bar = panel();
  const QString before = bar ? bar->caption() : QString();
  if (field_->text().isEmpty() || field_->isReadOnly() || !check_ || check_(field_)) {
    withdrawComplaint();
    return true;
  }
  // Only what this check put there (a complaint in the message window leaves the panel as it was).
  const QString after = bar ? bar->caption() : QString();
  complaint_ = after != before || after == complaint_ ? after : QString();
  keepFocus();
  return false;
}

void FieldBehaviour::keepFocus() {
  SelectAll(field_);
  if (!field_->isVisible()) return;
  QPointer<QLineEdit> field(field_);
  QTimer::singleShot(0, field_, [field] {
    if (!field) return;
    g_restoringFocus = true;
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    g_restoringFocus = false;
  });
}

void FieldBehaviour::openPicker() {
  if (!picker_ || field_->isReadOnly()) return;
  picker_(field_);
  validate();
}

bool FieldBehaviour::eventFilter(QObject* watched, QEvent* event) {
  if (watched != field_) return false;
  switch (event->type()) {
    case QEvent::FocusIn:
      // After the focus change has settled, or the click that gave the focus clears it again.
      QTimer::singleShot(0, field_, [f = QPointer<QLineEdit>(field_)] { if (f) SelectAll(f); });
      return false;
    case QEvent::FocusOut: {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      // Clicking a control that leaves without the check (or its shortcut) skips it; moving on
      // with Tab or Enter always checks, or a window whose only other stops are such buttons
      // would never look the typed value up.
      const bool keyboardMove = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
      if (!g_restoringFocus && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
          (keyboardMove || !focusGoesToSkipper())) {
        validate();
      }
      return false;
    }
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_F8 && picker_) {
        openPicker();
        return true;
      }
      // Enter moves on and is swallowed so that it neither beeps nor presses a default button.
      return KeyMove(field_, key);
    }
    case QEvent::MouseButtonDblClick:
      if (!picker_) return false;
      openPicker();
      return true;
    default:
      return false;
  }
}

bool CheckDateField(QLineEdit* field, StatusPanel* panel) {
  const QString separated = DateWithSeparators(field->text());
  if (DateForStorage(separated).isEmpty()) {
    ShowStatusMessage(panel, QStringLiteral("日期格式不對"));
    return false;
  }
  // Unchanged text stays as it is, with the cursor where the operator left it.
  if (field->text() != separated) field->setText(separated);
  return true;
}

FieldBehaviour* InstallDateField(QLineEdit* field, StatusPanel* panel) {
  FieldBehaviour* fb = FieldBehaviour::install(field);
  QPointer<StatusPanel> p(panel);
  fb->setCheck([p](QLineEdit* f) { return CheckDateField(f, p); });
  fb->setPicker([](QLineEdit* f) {
    // The calendar opens on the month of the date typed so far, read in the display convention.
    const QString typed = DateForStorage(DateWithSeparators(f->text()));
    QDate chosen;
    if (TheDatePicker().pick(typed.isEmpty() ? QVariant(f->text()) : QVariant(typed), chosen)) {
      f->setText(DateFieldText(chosen));
    }
  });
  return fb;
}
