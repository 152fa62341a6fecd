#include "app/ConsoleDialogs.h"

#include <QTextStream>

namespace {
void say(const QString& text) {
  QTextStream err(stderr);
  err << text << Qt::endl;
}
}  // namespace

void ConsoleDialogs::messageBox(const QString& text, const QString& title, MsgIcon) { say(title + QStringLiteral(": ") + text); }

bool ConsoleDialogs::askYesNo(const QString& text, const QString&) {
  say(text);
  return false;
}

QString ConsoleDialogs::inputBox(const QString& prompt, const QString&, const QString&) {
  say(prompt);
  return {};
}

void ConsoleDialogs::showMessage(const QString& text, int) { say(text); }

void ConsoleDialogs::showNotice(const QString& text) {
  if (!text.isEmpty()) say(text);
}

bool ConsoleDialogs::waitForCard(const std::function<bool()>&) { return false; }
