#pragma once
// Replaces the card data key: the new key takes effect at once and is stored enciphered. The
// key is hidden as it is typed and typed twice, since a mistyped key makes every card written
// under it unreadable to the other workstations.
#include <QWidget>

class QLabel;
class QLineEdit;

class CardKeyWindow : public QWidget {
  Q_OBJECT
public:
  explicit CardKeyWindow(QWidget* parent = nullptr);

  // The check on leaving the key field; false keeps the focus there.
  bool checkKey();
  // Takes the key typed twice as the card data key.
  void setCardKey();
  // Forgets the typed keys and hides the window.
  void closeWindow();

  QLineEdit* txtBatchKey() const { return txtBatchKey_; }
  QLineEdit* txtBatchKey2() const { return txtBatchKey2_; }  // the key typed again
  QLabel* Label1() const { return Label1_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // The operator text for a key that is not 1 to 16 ASCII letters and digits, else empty.
  QString keyProblem() const;
  // True when no other key is stored, or the operator agrees to replace it.
  bool mayReplaceStoredKey(const QString& key);

  QLabel* Label1_;
  // True when the key was typed the same twice; otherwise says so and asks again.
  bool confirmed(const QString& key);

  QLineEdit* txtBatchKey_;
  QLineEdit* txtBatchKey2_;
  QString refusedText_;  // the text the length check last refused
};
