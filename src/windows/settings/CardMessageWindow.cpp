#include "windows/settings/CardMessageWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/CardMessagePanel.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CardMessageWindow::CardMessageWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmCardMsg"));
  setWindowTitle(QStringLiteral("卡片促銷訊息"));
  auto* layout = new QVBoxLayout(this);
  auto* fileRow = new QHBoxLayout;
  auto* lblFile = new QLabel(QStringLiteral("訊息檔案"), this);
  txtFile_ = new QLineEdit(this);
  txtFile_->setObjectName(QStringLiteral("txtFile"));
  lblFile->setBuddy(txtFile_);
  fileRow->addWidget(lblFile);
  fileRow->addWidget(txtFile_, 1);
  auto* cmdLoadMsg = new QPushButton(QStringLiteral("載入訊息檔"), this);
  cmdLoadMsg->setObjectName(QStringLiteral("cmdLoadMsg"));
  fileRow->addWidget(cmdLoadMsg);
  layout->addLayout(fileRow);

  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  panel_ = new CardMessagePanel(elaMsg_, 1, this);
  layout->addWidget(panel_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* cmdSave = new QPushButton(QStringLiteral("存檔"), this);
  cmdSave->setObjectName(QStringLiteral("cmdSave"));
  auto* cmdExit = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  buttons->addWidget(cmdSave);
  buttons->addWidget(cmdExit);
  layout->addLayout(buttons);
  layout->addWidget(elaMsg_);

  FieldBehaviour::install(txtFile_)->setPicker([this](QLineEdit*) { chooseMessageFile(); });
  connect(cmdLoadMsg, &QPushButton::clicked, this, &CardMessageWindow::loadMessages);
  connect(cmdSave, &QPushButton::clicked, this, &CardMessageWindow::saveMessages);
  connect(cmdExit, &QPushButton::clicked, this, &CardMessageWindow::closeWindow);

  resize(560, 380);
  CenterForm(this);
  OpenFieldsForInput(this);
  ClearInputFields(this);
  txtFile_->setText(TheSettings().cardMessageFile);
  keepLines();
}

void CardMessageWindow::loadMessages() {
  try {
    if (txtFile_->text().trimmed().isEmpty()) {
      ShowStatusMessage(elaMsg_, QStringLiteral("請輸入檔案名稱"));
      return;
    }
    if (panel_->loadFile(txtFile_->text().trimmed())) keepLines();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool CardMessageWindow::saveMessageFile() {
  if (txtFile_->text().trimmed().isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("未輸入檔案名稱"));
    txtFile_->setFocus();
    return false;
  }
  if (!panel_->saveFile(txtFile_->text().trimmed())) return false;
  keepLines();
  return true;
}

void CardMessageWindow::saveMessages() {
  try {
    if (txtFile_->text().trimmed().isEmpty()) {
      saveMessageFile();
      return;
    }
    ShowStatusMessage(elaMsg_, saveMessageFile() ? QStringLiteral("存檔完成") : QStringLiteral("存檔失敗"));
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void CardMessageWindow::chooseMessageFile() {
  const QString chosen = CardMessagePanel::chooseFile(txtFile_->text());
  if (chosen.isEmpty()) return;
  txtFile_->setText(chosen);
  if (panel_->loadFile(chosen)) keepLines();
}

QStringList CardMessageWindow::lineTexts() const {
  QStringList out;
  for (const QLineEdit* line : panel_->lines()) out << line->text();
  return out;
}

bool CardMessageWindow::mayDiscardEdits() {
  if (lineTexts() == kept_) return true;
  if (!Dialogs().askYesNo(QStringLiteral("資料尚未存檔，確定放棄？"), TheSettings().appName)) return false;
  for (int i = 0; i < kept_.size(); ++i) panel_->line(i)->setText(kept_[i]);
  return true;
}

void CardMessageWindow::closeWindow() {
  if (mayDiscardEdits()) hide();
}

void CardMessageWindow::closeEvent(QCloseEvent* event) {
  if (mayDiscardEdits()) event->accept();
  else event->ignore();
}
