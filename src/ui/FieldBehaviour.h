#pragma once
// The behaviour every data-entry field shares: select all on focus, Enter/Down/Up move
// between fields, Enter swallowed, F8 and double-click open the field's picker, and the
// field's check on leaving it, which can keep the focus in the field.
#include <QObject>
#include <functional>

class QLineEdit;
class QWidget;
class StatusPanel;

class FieldBehaviour : public QObject {
  Q_OBJECT
public:
  // Answers false to keep the focus in the field.
  using Check = std::function<bool(QLineEdit*)>;
  using Picker = std::function<void(QLineEdit*)>;

  // Installs the behaviour on a field (owned by the field); installing twice gives the same one.
  static FieldBehaviour* install(QLineEdit* field);
  static FieldBehaviour* of(QLineEdit* field);

  void setCheck(Check check) { check_ = std::move(check); }
  void setPicker(Picker picker) { picker_ = std::move(picker); }
  bool hasPicker() const { return static_cast<bool>(picker_); }

  // The check on leaving the field: an empty or locked field is always accepted. On
  // refusal the text is selected and the focus stays; once the field is accepted, or given a
  // value by the window itself, its complaint leaves the status panel.
  bool validate();
  // Opens the picker (F8 or double-click) and then checks the field as if it was typed.
  void openPicker();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  explicit FieldBehaviour(QLineEdit* field);
  void keepFocus();
  // The status panel nearest the field, where its checks complain.
  StatusPanel* panel() const;
  // Takes the field's complaint off the panel, when the panel still shows it.
  void withdrawComplaint();

  QLineEdit* field_;
  QString complaint_;  // what the last refusal put on the panel
  Check check_;
  Picker picker_;
};

// Moving the focus to this control (a cancel or exit button) does not check the field the focus
// leaves, so that the button works whatever the field holds.
void SkipFieldChecks(QWidget* control);

// A date field: the text passes through DateWithSeparators and DateForStorage; a bad date shows
// "日期格式不對" on the panel and keeps the focus, a good one shows the separated text.
FieldBehaviour* InstallDateField(QLineEdit* field, StatusPanel* panel);
// The date field's check on its own, for windows that check again before they act.
bool CheckDateField(QLineEdit* field, StatusPanel* panel);
