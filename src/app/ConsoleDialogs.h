#pragma once
// Operator dialogs of a run without a window: what would be shown goes to the error stream,
// and nothing waits for an answer (a question is answered No, a prompt is cancelled).
#include "core/OperatorDialogs.h"

class ConsoleDialogs final : public OperatorDialogs {
public:
  void messageBox(const QString& text, const QString& title, MsgIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  QString inputBox(const QString& prompt, const QString& title, const QString& initial) override;
  void showMessage(const QString& text, int seconds) override;
  bool waitForCard(const std::function<bool()>& poll) override;
  QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString selectFolder(const QString&, const QString&) override { return {}; }
  bool openDocument(const QString&) override { return false; }
  void beep() override {}
  void showNotice(const QString& text) override;
};
