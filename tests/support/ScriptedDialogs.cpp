#include "support/ScriptedDialogs.h"

#include <QThread>

namespace {
ScriptedDialogs* g_current = nullptr;
}

ScriptedDialogs::ScriptedDialogs() : previous_(&Dialogs()) {
  SetDialogs(this);
  g_current = this;
}

ScriptedDialogs::~ScriptedDialogs() {
  SetDialogs(previous_ == this ? nullptr : previous_);
  if (g_current == this) g_current = nullptr;
}

ScriptedDialogs* ScriptedDialogs::current() { return g_current; }

QStringList ScriptedDialogs::texts(const QString& kind) const {
  QStringList out;
  for (const Shown& s : shown) {
    if (s.kind == kind) out << s.text;
  }
  return out;
}

void ScriptedDialogs::clear() {
  shown.clear();
  beeps = 0;
  openedDocuments.clear();
}

void ScriptedDialogs::messageBox(const QString& text, const QString& title, MsgIcon icon) {
  shown.push_back({QStringLiteral("messageBox"), text, title, 0, icon});
}

bool ScriptedDialogs::askYesNo(const QString& text, const QString& title) {
  shown.push_back({QStringLiteral("askYesNo"), text, title});
  if (yesNoAnswers.empty()) return false;
  const bool answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString& initial) {
  shown.push_back({QStringLiteral("inputBox"), prompt, title});
  Q_UNUSED(initial);
  if (inputAnswers.empty()) return {};
  const QString answer = inputAnswers.front();
  inputAnswers.pop_front();
  return answer;
}

void ScriptedDialogs::showMessage(const QString& text, int seconds) {
  shown.push_back({QStringLiteral("showMessage"), text, QString(), seconds});
}

bool ScriptedDialogs::waitForCard(const std::function<bool()>& poll) {
  shown.push_back({QStringLiteral("waitForCard"), QStringLiteral("請插入卡片....."), QString()});
  if (!atCardWait.empty()) {
    const auto act = std::move(atCardWait.front());
    atCardWait.pop_front();
    act();
  } else if (atEveryCardWait) {
    atEveryCardWait();
  }
  for (int i = 0; i < maxPolls; ++i) {
    if (cancelWaitAfterPolls >= 0 && i >= cancelWaitAfterPolls) return false;
    if (poll()) return true;
    QThread::msleep(1);
  }
  return false;
}

QString ScriptedDialogs::nextFile(const QString& kind, const QString& title) {
  shown.push_back({kind, title, title});
  if (fileAnswers.empty()) return {};
  const QString answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

QString ScriptedDialogs::openFileName(const QString& title, const QString&, const QString&) {
  return nextFile(QStringLiteral("openFileName"), title);
}

QString ScriptedDialogs::saveFileName(const QString& title, const QString&, const QString&) {
  return nextFile(QStringLiteral("saveFileName"), title);
}

QString ScriptedDialogs::selectFolder(const QString& title, const QString&) {
  return nextFile(QStringLiteral("selectFolder"), title);
}

bool ScriptedDialogs::openDocument(const QString& path) {
  openedDocuments << path;
  return programForDocuments;
}
