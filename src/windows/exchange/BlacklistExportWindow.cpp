#include "windows/exchange/BlacklistExportWindow.h"

#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/ShowMessage.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/FolderField.h"
#include "operations/ExchangeJobs.h"
#include "ui/ErrorReports.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("黑名單資料轉出");
const QString kSection = QStringLiteral("VoidCardList");
const QString kKey = QStringLiteral("Dir");
}  // namespace

BlacklistExportWindow::BlacklistExportWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmVoidCardExport"));
  setWindowTitle(kCaption);
  auto* layout = new QVBoxLayout(this);
  auto* dirRow = new QHBoxLayout;
  dirRow->addWidget(new QLabel(QStringLiteral("轉出目錄"), this));
  txtDir_ = new QLineEdit(this);
  txtDir_->setObjectName(QStringLiteral("txtDir"));
  dirRow->addWidget(txtDir_, 1);
  layout->addLayout(dirRow);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* made[3];
  const char* names[] = {"cmdOK", "cmdView", "cmdExit"};
  const QString texts[] = {QStringLiteral("轉出"), QStringLiteral("檢視"), QStringLiteral("&Z結束")};
  for (int i = 0; i < 3; ++i) {
    made[i] = new QPushButton(texts[i], this);
    made[i]->setObjectName(QString::fromLatin1(names[i]));
    made[i]->setAutoDefault(false);
    buttons->addWidget(made[i]);
  }
  layout->addLayout(buttons);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  elaMsg_->setToolTip(QStringLiteral("訊息列"));
  layout->addWidget(elaMsg_);

  SkipFieldChecks(made[2]);
  // Any text is accepted; the buttons check the directory.
  FieldBehaviour::install(txtDir_)->setPicker([this](QLineEdit* box) { SelectDir(this, box); });
  connect(made[0], &QPushButton::clicked, this, &BlacklistExportWindow::exportBlacklist);
  connect(made[1], &QPushButton::clicked, this, &BlacklistExportWindow::viewExportFile);
  connect(made[2], &QPushButton::clicked, this, &BlacklistExportWindow::closeWindow);
  resize(480, 140);
  txtDir_->setText(GetSetting(kSection, kKey, TheSettings().appPath));
}

QString BlacklistExportWindow::checkedDir() {
  const QString dir = txtDir_->text().trimmed();
  const QString problem = dir.isEmpty() ? QStringLiteral("請輸入轉出目錄")
                          : !FolderExists(dir) ? QStringLiteral("轉出目錄不存在")
                                        : QString();
  if (problem.isEmpty()) return dir;
  ShowMessage(problem);
  SelectAll(txtDir_);
  return {};
}

void BlacklistExportWindow::exportBlacklist() {
  elaMsg_->setCaption(QString());
  const QString dir = checkedDir();
  if (dir.isEmpty()) return;
  const ExportOutcome o = WithErrorReports([&] { return ExportBlacklist(OperationContext::Current(), dir); });
  switch (o.result) {
    case ExportOutcome::Result::NoCards: ShowMessage(QStringLiteral("沒有卡號被設為黑名單")); return;
    case ExportOutcome::Result::Failed:
      Dialogs().messageBox(o.reason, kCaption, MsgIcon::Critical);
      return;
    case ExportOutcome::Result::Written: break;
  }
  ShowStatusMessage(elaMsg_, QStringLiteral("黑名單資料轉出完成"));
}

void BlacklistExportWindow::viewExportFile() {
  const QString dir = checkedDir();
  if (!dir.isEmpty() && !ShellOpen(QDir(dir).filePath(kVoidCardFileName))) ShowStatusMessage(elaMsg_, kNoProgramText);
}

void BlacklistExportWindow::closeWindow() {
  SaveSetting(kSection, kKey, txtDir_->text().trimmed());
  hide();
}

void BlacklistExportWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}

void BlacklistExportWindow::closeEvent(QCloseEvent* event) {
  elaMsg_->setCaption(QString());
  event->ignore();
  closeWindow();
}
