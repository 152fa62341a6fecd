#pragma once
// Replaces the card data key: the new key takes effect at once and is stored enciphered.
#include <QWidget>

class QLabel;
class QLineEdit;

class fmSetBatchKey : public QWidget {
  Q_OBJECT
public:
  explicit fmSetBatchKey(QWidget* parent = nullptr);

  // The check on leaving the key field; false keeps the focus there.
  bool txtBatchKey_Validate();
  void cmdOK_Click();
  void cmdCancel_Click();

  QLineEdit* txtBatchKey() const { return txtBatchKey_; }
  QLabel* Label1() const { return Label1_; }

private:
  // The operator text for a key that is not 1 to 16 ASCII letters and digits, else empty.
  QString keyProblem() const;
  // True when no other key is stored, or the operator agrees to replace it.
  bool mayReplaceStoredKey(const QString& key);

  QLabel* Label1_;
  QLineEdit* txtBatchKey_;
  QString refusedText_;  // the text the length check last refused
};
