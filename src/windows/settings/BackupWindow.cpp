#include "windows/settings/BackupWindow.h"

#include "core/Clock.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "operations/DatabaseBackup.h"
#include "ui/ErrorReports.h"
#include "ui/PressGuard.h"
#include "ui/StatusPanel.h"
#include "ui/WindowHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("資料庫備份");
}  // namespace

BackupWindow::BackupWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmBackup"));
  setWindowTitle(kCaption);
  auto* layout = new QVBoxLayout(this);
  lblDatabase_ = new QLabel(this);
  lblDatabase_->setObjectName(QStringLiteral("lblDatabase"));
  layout->addWidget(lblDatabase_);
  prgCopy_ = new QProgressBar(this);
  prgCopy_->setObjectName(QStringLiteral("prgCopy"));
  prgCopy_->setRange(0, 1);
  prgCopy_->setValue(0);
  layout->addWidget(prgCopy_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdBackup_ = new QPushButton(QStringLiteral("備份"), this);
  cmdBackup_->setObjectName(QStringLiteral("cmdBackup"));
  cmdRestore_ = new QPushButton(QStringLiteral("還原"), this);
  cmdRestore_->setObjectName(QStringLiteral("cmdRestore"));
  auto* exit = new QPushButton(QStringLiteral("&Z結束"), this);
  exit->setObjectName(QStringLiteral("cmdExit"));
  buttons->addWidget(cmdBackup_);
  buttons->addWidget(cmdRestore_);
  buttons->addWidget(exit);
  layout->addLayout(buttons);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);
  connect(cmdBackup_, &QPushButton::clicked, this, &BackupWindow::backUpDatabase);
  connect(cmdRestore_, &QPushButton::clicked, this, &BackupWindow::restoreDatabase);
  connect(exit, &QPushButton::clicked, this, &BackupWindow::closeWindow);
  resize(480, 150);
}

void BackupWindow::backUpDatabase() {
  const PressGuard press(copying_, {cmdBackup_, cmdRestore_});
  if (!press) return;
  const OperationContext ctx = OperationContext::Current();
  if (EmbeddedDatabaseFile(ctx).isEmpty()) return ShowStatusMessage(elaMsg_, kServerBackupText);
  const QString suggested = QDir(TheSettings().appPath)
                                .filePath(QStringLiteral("backup/tolva-") + Now().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                          QStringLiteral(".db"));
  QDir().mkpath(QFileInfo(suggested).path());
  const QString file = Dialogs().saveFileName(kCaption, QStringLiteral("SQLite (*.db)"), suggested);
  if (file.isEmpty()) return;
  prgCopy_->setValue(0);
  const Fetched<QList<TableRows>> copied =
      BackUpDatabase(ctx, file, [this](int done, int total) { showProgress(done, total); });
  if (!copied) {
    ReportError(ErrorLabel(), copied.failure);
    return ShowStatusMessage(elaMsg_, QStringLiteral("備份失敗"));
  }
  qint64 cards = 0;
  for (const TableRows& t : *copied) {
    if (t.table == QLatin1String("Tolva")) cards = t.rows;
  }
  ShowStatusMessage(elaMsg_, QStringLiteral("已備份 %1 張卡片的資料到 %2").arg(cards).arg(QDir::toNativeSeparators(file)));
}

void BackupWindow::restoreDatabase() {
  const PressGuard press(copying_, {cmdBackup_, cmdRestore_});
  if (!press) return;
  const OperationContext ctx = OperationContext::Current();
  if (EmbeddedDatabaseFile(ctx).isEmpty()) return ShowStatusMessage(elaMsg_, kServerBackupText);
  const QString file = Dialogs().openFileName(QStringLiteral("資料庫還原"), QStringLiteral("SQLite (*.db)"),
                                              QDir(TheSettings().appPath).filePath(QStringLiteral("backup")));
  if (file.isEmpty()) return;
  const QString question = QStringLiteral("以 %1 取代目前的資料庫？\n目前的資料庫會另存一份，還原後程式將結束。")
                               .arg(QDir::toNativeSeparators(file));
  if (!Dialogs().askYesNo(question, kCaption)) return;
  prgCopy_->setValue(0);
  const Fetched<QString> kept = RestoreDatabase(ctx, file, [this](int done, int total) { showProgress(done, total); });
  if (!kept) {
    ReportError(ErrorLabel(), kept.failure);
    return ShowStatusMessage(elaMsg_, QStringLiteral("還原失敗"));
  }
  ShowStatusMessage(elaMsg_, QStringLiteral("已還原"));
  Dialogs().messageBox(QStringLiteral("已還原 %1\n原資料庫保留為 %2\n程式將結束，請重新啟動。")
                           .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(*kept)),
                       kCaption, MsgIcon::Information);
  emit databaseRestored();
}

void BackupWindow::showProgress(int done, int total) {
  prgCopy_->setRange(0, total);
  prgCopy_->setValue(done);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BackupWindow::closeWindow() { hide(); }

void BackupWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    CenterForm(this);
    const QString file = EmbeddedDatabaseFile(OperationContext::Current());
    lblDatabase_->setText(file.isEmpty() ? kServerBackupText : QStringLiteral("資料庫: ") + QDir::toNativeSeparators(file));
  }
  QWidget::showEvent(event);
}
