#pragma once
// Every place where the program waits for the operator goes through this interface: the
// windows library installs the Qt implementation, tests install a scripted one.
#include <QString>
#include <functional>

enum class MsgIcon { None, Information, Exclamation, Critical, Question };

class OperatorDialogs {
public:
  virtual ~OperatorDialogs() = default;

  // A message box with an OK button.
  virtual void messageBox(const QString& text, const QString& title, MsgIcon icon) = 0;
  // A Yes/No question; true for Yes.
  virtual bool askYesNo(const QString& text, const QString& title) = 0;
  // An input box (the database password: typed text is not shown); a cancelled box answers
  // an empty text.
  virtual QString inputBox(const QString& prompt, const QString& title, const QString& initial) = 0;
  // The message window: shows the text and closes itself after the given seconds.
  virtual void showMessage(const QString& text, int seconds) = 0;
  // The card wait dialog ("請插入卡片....."). `poll` is called repeatedly while the dialog is
  // up and answers true once the card wait has completed. Returns false when the operator
  // pressed "取消" before that.
  virtual bool waitForCard(const std::function<bool()>& poll) = 0;
  // File and folder dialogs; an empty text when cancelled.
  virtual QString openFileName(const QString& title, const QString& filter, const QString& start) = 0;
  virtual QString saveFileName(const QString& title, const QString& filter, const QString& start) = 0;
  virtual QString selectFolder(const QString& title, const QString& start) = 0;
  // Opens a document with the program the desktop associates with it.
  virtual bool openDocument(const QString& path) = 0;
  virtual void beep() = 0;
  // The hourglass pointer while the program waits for a device; on and off calls pair up.
  virtual void setBusyCursor(bool on) { (void)on; }
  // A notice of what the program is busy with, shown until the next call (an empty text takes it
  // away); it asks nothing. For work that holds the program before any window is open.
  virtual void showNotice(const QString& text) { (void)text; }
};

// The dialogs in use. Never null once start-up (or a test) has installed one.
OperatorDialogs& Dialogs();
void SetDialogs(OperatorDialogs* dialogs);

// Shows a notice for as long as it lives.
class NoticeScope {
public:
  explicit NoticeScope(const QString& text) { Dialogs().showNotice(text); }
  ~NoticeScope() { Dialogs().showNotice(QString()); }
  NoticeScope(const NoticeScope&) = delete;
  NoticeScope& operator=(const NoticeScope&) = delete;
};
