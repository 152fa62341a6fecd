#include "ui/CardMessagePanel.h"
#include "ui/ErrorReports.h"

#include "core/CodePage.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/SettingsFile.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"

#include <QLineEdit>
#include <QSaveFile>
#include <QVBoxLayout>

CardMessagePanel::CardMessagePanel(StatusPanel* status, int firstIndex, QWidget* parent)
    : QGroupBox(QStringLiteral("附加訊息"), parent), status_(status) {
  setObjectName(QStringLiteral("fraMsg"));
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(4);
  for (int i = 0; i < 6; ++i) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("txtMsg%1").arg(i + firstIndex));
    FieldBehaviour::install(edit);
    layout->addWidget(edit);
    lines_.append(edit);
  }
}

bool CardMessagePanel::loadFile(const QString& file) {
  try {
    if (!FileExists(file)) {
      ShowStatusMessage(status_, QStringLiteral("檔案不存在"));
      return false;
    }
    QString text;
    if (!WithErrorReports([&] { return ::ReadMessageFile(file, text); })) return false;
    const QStringList parts = text.split(QLatin1Char('|'));
    for (int k = 0; k < parts.size() && k < lines_.size(); ++k) lines_[k]->setText(parts[k]);
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

bool CardMessagePanel::saveFile(const QString& file) const {
  QStringList texts;
  for (const QLineEdit* l : lines_) texts << l->text();
  const QString text = texts.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
  const QByteArray bytes = CodePage::toAnsi(text);
  // A character the code page has no byte for would be written as another one; the file keeps
  // its old text rather than a message the operator did not type.
  if (CodePage::fromAnsi(bytes) != text) return false;
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(bytes);
  return out.commit();
}

void CardMessagePanel::clearLines() {
  for (QLineEdit* l : lines_) l->clear();
}

QString CardMessagePanel::faceText() const {
  QString text;
  for (const QLineEdit* l : lines_) text += l->text() + QLatin1Char('\n');
  return text;
}

QString CardMessagePanel::chooseFile(const QString& start) {
  return Dialogs().openFileName(QStringLiteral("訊息檔案"), QStringLiteral("訊息檔 (*.txt)"), start);
}
