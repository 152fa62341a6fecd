#include "ui/QtOperatorDialogs.h"

#include "core/Settings.h"
#include "ui/MessageWindow.h"
#include "ui/FileChoosers.h"
#include "ui/CardWaitDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QWindow>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

QWidget* owner() { return QApplication::activeWindow(); }

QMessageBox::Icon qtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtOperatorDialogs::messageBox(const QString& text, const QString& title, MsgIcon icon) {
  QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok, owner());
  QGuiApplication::restoreOverrideCursor();
  box.exec();
}

bool QtOperatorDialogs::askYesNo(const QString& text, const QString& title) {
  return QMessageBox::question(owner(), title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

QString QtOperatorDialogs::inputBox(const QString& prompt, const QString& title, const QString& initial) {
  bool ok = false;
  // The only input box the program asks is the database password: what is typed stays hidden.
  const QString answer = QInputDialog::getText(owner(), title, prompt, QLineEdit::Password, initial, &ok);
  return ok ? answer : QString();
}

void QtOperatorDialogs::showMessage(const QString& text, int seconds) { TheMessageWindow().showMessage(text, seconds); }

bool QtOperatorDialogs::waitForCard(const std::function<bool()>& poll) {
  CardWaitDialog dialog(poll, owner());
  return dialog.waitForCard() == 0;
}

QString QtOperatorDialogs::openFileName(const QString& title, const QString& filter, const QString& start) {
  return ChooseFileToOpen(owner(), title, filter, start);
}

QString QtOperatorDialogs::saveFileName(const QString& title, const QString& filter, const QString& start) {
  return ChooseFileToSave(owner(), title, filter, start);
}

QString QtOperatorDialogs::selectFolder(const QString& title, const QString& start) {
  return ChooseFolder(owner(), title, start);
}

bool QtOperatorDialogs::openDocument(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtOperatorDialogs::beep() { QApplication::beep(); }

void QtOperatorDialogs::setBusyCursor(bool on) {
  if (on) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else QGuiApplication::restoreOverrideCursor();
}

void QtOperatorDialogs::showNotice(const QString& text) {
  if (text.isEmpty()) {
    if (!notice_) return;
    delete notice_;
    setBusyCursor(false);
    return;
  }
  if (!notice_) {
    notice_ = new QLabel;
    notice_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setWindowTitle(TheSettings().appName);
    notice_->setMargin(24);
    setBusyCursor(true);
  }
  notice_->setText(text);
  notice_->adjustSize();
  notice_->show();
  notice_->raise();
  // The work that follows holds the event loop: the window manager maps the notice and it is
  // drawn now, or not until the work is done.
  QElapsedTimer waited;
  waited.start();
  while (!(notice_->windowHandle() && notice_->windowHandle()->isExposed()) && waited.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
  }
  notice_->repaint();
}
