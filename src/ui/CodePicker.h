#pragma once
// The code picker: lists the rows of a two-column query (a code and its description) and
// copies the chosen row into the calling window's fields.
#include <QDialog>

class FieldBehaviour;
class QLineEdit;
class QTableWidget;

class CodePicker : public QDialog {
  Q_OBJECT
public:
  explicit CodePicker(QWidget* parent = nullptr);

  // True when the dialog was shown; false when the query returned no rows (nothing shown,
  // the fields keep their text).
  bool ShowPick(const QString& sql, QLineEdit* target, QLineEdit* description = nullptr,
                const QString& heading1 = QString(), const QString& heading2 = QString());

  QTableWidget* fgCode() const { return fgCode_; }
  QString chosenCode() const { return chosen_; }
  QString rememberedQuery() const { return query_; }

  void fgCode_Click(int row);
  void chooseRow(int row);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  QTableWidget* fgCode_;
  QString chosen_;
  QString query_;
  QLineEdit* target_ = nullptr;
  QLineEdit* description_ = nullptr;
};

// The one code picker of the program, created on first use.
CodePicker& TheCodePicker();

// A code field: F8 and double-click open the code picker on the query; the chosen row fills
// the field and, when given, the description field.
FieldBehaviour* InstallCodeField(QLineEdit* field, const QString& sql, QLineEdit* description = nullptr,
                                 const QString& heading1 = QString(), const QString& heading2 = QString());
