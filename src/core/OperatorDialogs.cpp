#include "core/OperatorDialogs.h"

#include <QDebug>

namespace {
// Used until an implementation is installed: it never blocks and answers "no".
class SilentDialogs final : public OperatorDialogs {
public:
  void messageBox(const QString& text, const QString&, MsgIcon) override { qWarning().noquote() << text; }
  bool askYesNo(const QString&, const QString&) override { return false; }
  QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
  void showMessage(const QString& text, int) override { qWarning().noquote() << text; }
  bool waitForCard(const std::function<bool()>&) override { return false; }
  QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString selectFolder(const QString&, const QString&) override { return {}; }
  bool openDocument(const QString&) override { return false; }
  void beep() override {}
};

SilentDialogs g_silent;
OperatorDialogs* g_dialogs = &g_silent;
}  // namespace

OperatorDialogs& Dialogs() { return *g_dialogs; }

void SetDialogs(OperatorDialogs* dialogs) { g_dialogs = dialogs ? dialogs : &g_silent; }
