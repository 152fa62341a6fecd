#pragma once
// Operator dialogs for tests: records what the program showed and answers from a script.
#include "core/OperatorDialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class ScriptedDialogs final : public OperatorDialogs {
public:
  struct Shown {
    QString kind;  // "messageBox", "askYesNo", "inputBox", "showMessage", "waitForCard", "openFileName", ...
    QString text;
    QString title;
    int seconds = 0;
    MsgIcon icon = MsgIcon::None;
  };

  ScriptedDialogs();   // installs itself
  ~ScriptedDialogs();  // gives the previous dialogs back

  // Answers, used in order; when a queue is empty the defaults below apply.
  std::deque<bool> yesNoAnswers;    // default: false (No)
  std::deque<QString> inputAnswers; // default: empty (cancelled)
  std::deque<QString> fileAnswers;  // open, save and folder dialogs; default: empty
  // The card wait: how many polls the dialog runs before the operator presses "取消"
  // (-1: never cancels; the poll must complete within maxPolls).
  int cancelWaitAfterPolls = -1;
  int maxPolls = 10000;
  // What the operator does when a card wait dialog comes up (insert a card), one per wait.
  std::deque<std::function<void()>> atCardWait;
  // What the operator does at a wait when `atCardWait` is empty (nothing when empty).
  std::function<void()> atEveryCardWait;
  // The scripted dialogs installed last (null when none).
  static ScriptedDialogs* current();

  std::vector<Shown> shown;
  // Each notice's text, and an empty one where it was taken away.
  QStringList notices;
  int beeps = 0;
  QStringList openedDocuments;
  bool programForDocuments = true;  // false: the desktop has no program to open a document

  // Texts of everything of one kind, in order.
  QStringList texts(const QString& kind) const;
  void clear();

  void messageBox(const QString& text, const QString& title, MsgIcon icon) override;
  bool askYesNo(const QString& text, const QString& title) override;
  QString inputBox(const QString& prompt, const QString& title, const QString& initial) override;
  void showMessage(const QString& text, int seconds) override;
  void showNotice(const QString& text) override { notices << text; }
  bool waitForCard(const std::function<bool()>& poll) override;
  QString openFileName(const QString& title, const QString& filter, const QString& start) override;
  QString saveFileName(const QString& title, const QString& filter, const QString& start) override;
  QString selectFolder(const QString& title, const QString& start) override;
  bool openDocument(const QString& path) override;
  void beep() override { ++beeps; }

private:
  QString nextFile(const QString& kind, const QString& title);
  OperatorDialogs* previous_;
};
