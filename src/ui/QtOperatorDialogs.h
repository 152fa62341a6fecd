#pragma once
// The operator dialogs as real Qt windows.
#include "core/OperatorDialogs.h"

#include <QLabel>
#include <QPointer>

class QtOperatorDialogs final : public OperatorDialogs {
public:
  void messageBox(const QString& text, const QString& title, MsgIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  QString inputBox(const QString& prompt, const QString& title, const QString& initial) override;
  void showMessage(const QString& text, int seconds) override;
  bool waitForCard(const std::function<bool()>& poll) override;
  QString openFileName(const QString& title, const QString& filter, const QString& start) override;
  QString saveFileName(const QString& title, const QString& filter, const QString& start) override;
  QString selectFolder(const QString& title, const QString& start) override;
  bool openDocument(const QString& path) override;
  void beep() override;
  void setBusyCursor(bool on) override;
  void showNotice(const QString& text) override;

private:
  QPointer<QLabel> notice_;
};
