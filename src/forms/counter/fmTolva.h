#pragma once
// The main window: the card frame with the counter operations, the menu of operation windows
// (one shown at a time), the head band and the status text.
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <functional>

class ElaBar;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

class fmTolva : public QWidget {
  Q_OBJECT
public:
  explicit fmTolva(QWidget* parent = nullptr);

  // Hides the operation window shown from the menu, creates the target once and shows it.
  void OpenWindow(const QString& buttonName);
  QWidget* currentWindow() const { return current_; }
  QWidget* window(const QString& buttonName) const { return windows_.value(buttonName); }

  void cmdExit_Click();
  // Reads the card the operator inserts and shows its stripe values; nothing else changes.
  void cmdReadCard_Click();
  void Form_Activate();

  QLineEdit* field(const QString& name) const;
  QPushButton* button(const QString& name) const;
  QTabWidget* tabPage() const { return tabPage_; }
  ElaBar* elaMsg() const { return elaMsg_; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void Form_Load();
  void InitForm();
  QWidget* buildCardPage();
  QLayout* buildCardValues(QWidget* frame);
  QLayout* buildCounterOperations(QWidget* frame);
  QWidget* buildMenuPage(const QList<QPair<QString, QString>>& buttons);
  QWidget* buildHead();
  QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent);

  QTabWidget* tabPage_ = nullptr;
  ElaBar* elaMsg_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblBrand_ = nullptr;
  QLabel* lblDate_ = nullptr;
  QMap<QString, QPointer<QWidget>> windows_;
  // The counter operations of the card frame that this program carries, by button name.
  QMap<QString, std::function<void()>> counterHandlers_;
  QPointer<QWidget> current_;
};
