#pragma once
// The card wait dialog: asks for the card and polls the pending wait until the card is in or
// the operator cancels.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

class CardWaitDialog : public QDialog {
  Q_OBJECT
public:
  // `poll` answers true once the card wait has completed.
  explicit CardWaitDialog(std::function<bool()> poll, QWidget* parent = nullptr);

  // Shows the dialog modally and polls: 0 when the card came, -21 when the operator cancelled.
  int waitForCard();
  int outcome() const { return retValue_; }

  QPushButton* cmdCancel = nullptr;

public slots:
  // Every way of dismissing the dialog (the button, Esc) cancels the wait.
  void reject() override;

private slots:
  void cancelWait();
  void pollOnce();

private:
  void centreOnScreen();

  std::function<bool()> poll_;
  QLabel* lblMessage_ = nullptr;
  QTimer* timer_ = nullptr;
  bool cancelled_ = false;
  int retValue_ = 0;
};
