#pragma once
// The main window: the card frame with the counter operations, the menu of operation windows
// (one shown at a time), the head band and the status text.
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <functional>

class StatusPanel;
struct CounterOutcome;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

class MainWindow : public QWidget {
  Q_OBJECT
public:
  explicit MainWindow(QWidget* parent = nullptr);

  // Hides the operation window shown from the menu, creates the target once and shows it.
  void openOperationWindow(const QString& buttonName);
  QWidget* currentWindow() const { return current_; }
  QWidget* window(const QString& buttonName) const { return windows_.value(buttonName); }

  // Closes the operation windows (none stays open) and ends the program.
  void quitProgram();
  // Reads the card the operator inserts and shows its stripe values; nothing else changes.
  void readCard();
  // The counter operations on the card in the reader, each in one database transaction that
  // commits only when the card was written (and printed where its values change).
  void topUpCard();           // top-up of txtAmt
  void deductAmount();        // deduction of txtAmt, earning points at the set rate
  void deductPoints();        // deduction of txtPoint bonus points
  void sellCard();            // sale of the card
  void reverseTransaction();  // reversal of the mode in cboType: txtAmtB and txtVoidPoint
  // The card page is open only while a card data key is set; without one the settings page,
  // where it is set, comes up.
  void updateCardPageAccess();

  QLineEdit* field(const QString& name) const;
  // The reversal mode list: "1", "2" or "3", or empty while none is chosen.
  class QComboBox* cboType() const;
  QString reversalMode() const;
  QPushButton* button(const QString& name) const;
  QTabWidget* tabPage() const { return tabPage_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  // The head band's texts, then the controls.
  void prepareWindow();
  // Buttons enabled where the program has their window or operation, shown fields read-only,
  // size and place.
  void setUpControls();
  // Centred, or left of the simulator panel when the built-in simulator is the reader.
  void placeOnScreen();
  // Closes the operation windows; false when one of them stays open.
  bool closeOperationWindows();
  QWidget* buildCardPage();
  QLayout* buildCardValues(QWidget* frame);
  QLayout* buildCounterOperations(QWidget* frame);
  QWidget* buildMenuPage(const QList<QPair<QString, QString>>& buttons);
  QWidget* buildHead();
  QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent);
  void installCounterChecks();
  // Runs one counter operation with the card frame disabled, and shows its outcome.
  void runCounterOp(const std::function<CounterOutcome()>& call);
  // The outcome of a counter operation (which logged itself): status bar, fields, message.
  void showCounterResult(const CounterOutcome& out);

  QTabWidget* tabPage_ = nullptr;
  bool counterBusy_ = false;  // a counter operation runs
  StatusPanel* elaMsg_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblBrand_ = nullptr;
  QLabel* lblDate_ = nullptr;
  QMap<QString, QPointer<QWidget>> windows_;
  // The counter operations of the card frame that this program carries, by button name.
  QMap<QString, std::function<void()>> counterHandlers_;
  QPointer<QWidget> current_;
};
