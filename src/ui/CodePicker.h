#pragma once
// The code picker: lists rows of a code and its description and copies the chosen row into the
// calling window's fields.
#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class FieldBehaviour;
class QLineEdit;
class QTableWidget;

class CodePicker : public QDialog {
  Q_OBJECT
public:
  explicit CodePicker(QWidget* parent = nullptr);

  // True when the dialog was shown; false when there are no rows (nothing shown, the fields
  // keep their text).
  bool pick(const QList<QStringList>& rows, QLineEdit* target, QLineEdit* description = nullptr,
                const QString& heading1 = QString(), const QString& heading2 = QString());

  QTableWidget* fgCode() const { return fgCode_; }
  QString chosenCode() const { return chosen_; }

  void chooseClickedRow(int row);
  void chooseRow(int row);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QTableWidget* fgCode_;
  QString chosen_;
  QLineEdit* target_ = nullptr;
  QLineEdit* description_ = nullptr;
};

// The one code picker of the program, created on first use.
CodePicker& TheCodePicker();

// The rows a code field's picker lists, read when the picker opens; empty when there are none
// or they could not be read (the source has reported why).
using CodeRowSource = std::function<QList<QStringList>()>;

// A code field: F8 and double-click open the code picker on the source's rows; the chosen row
// fills the field and, when given, the description field.
FieldBehaviour* InstallCodeField(QLineEdit* field, CodeRowSource rows, QLineEdit* description = nullptr,
                                 const QString& heading1 = QString(), const QString& heading2 = QString());

