#include "ui/MessageFileRow.h"

#include "core/ErrorReport.h"
#include "core/Paths.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/CardMessagePanel.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
const QString kSettingKey = QStringLiteral("MsgFile");
}

MessageFileRow::MessageFileRow(const QString& section, CardMessagePanel* panel, StatusPanel* status, bool loadOnLeave,
                               bool keepPerWindow, QWidget* parent)
    : QWidget(parent), section_(section), panel_(panel), status_(status), keepPerWindow_(keepPerWindow) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(QStringLiteral("訊息檔案"), this);
  label->setObjectName(QStringLiteral("lblFile"));
  txtFile_ = new QLineEdit(this);
  txtFile_->setObjectName(QStringLiteral("txtFile"));
  txtFile_->setToolTip(QStringLiteral("按兩下選擇訊息檔"));
  label->setBuddy(txtFile_);
  layout->addWidget(label);
  layout->addWidget(txtFile_, 1);
  FieldBehaviour::install(txtFile_)->setPicker([this](QLineEdit*) { chooseMessageFile(); });
  if (loadOnLeave) txtFile_->installEventFilter(this);
}

void MessageFileRow::restore() {
  if (!keepPerWindow_) {
    // A file named but missing is said.
    txtFile_->setText(TheSettings().cardMessageFile);
    if (!TheSettings().cardMessageFile.trimmed().isEmpty()) load(TheSettings().cardMessageFile.trimmed());
    return;
  }
  if (!HasSetting(section_, kSettingKey)) {
    // Until the operator chooses a file for this window (an empty one included), the card
    // message file of the installation: a face without its message lines is a misprint. A
    // fresh installation without one is no fault to complain of.
    txtFile_->setText(TheSettings().cardMessageFile);
    if (FileExists(TheSettings().cardMessageFile)) load(TheSettings().cardMessageFile);
    return;
  }
  const QString stored = GetSetting(section_, kSettingKey);
  txtFile_->setText(stored);
  if (!stored.trimmed().isEmpty()) load(stored.trimmed());
}

void MessageFileRow::store() const {
  if (keepPerWindow_) SaveSetting(section_, kSettingKey, txtFile_->text().trimmed());
}

void MessageFileRow::load(const QString& path) {
  if (panel_->loadFile(path)) return;
  ShowStatusMessage(status_, FileExists(path) ? QStringLiteral("檔案載入失敗") : QStringLiteral("訊息檔不存在"));
}

void MessageFileRow::chooseMessageFile() {
  try {
    const QString chosen = CardMessagePanel::chooseFile(txtFile_->text());
    if (chosen.isEmpty()) return;
    txtFile_->setText(chosen);
    load(chosen);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void MessageFileRow::loadTypedMessageFile() {
  try {
    const QString path = txtFile_->text().trimmed();
    if (path.isEmpty()) {
      panel_->clearLines();
    } else {
      load(path);
    }
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool MessageFileRow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtFile_ && event->type() == QEvent::FocusOut) {
    // Switching to another window or a popup is not leaving the field.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) loadTypedMessageFile();
  }
  return QWidget::eventFilter(watched, event);
}
