#include "ui/FolderField.h"

#include "core/OperatorDialogs.h"

#include <QDir>
#include <QLineEdit>

void SelectDir(QWidget* /*owner: the dialogs parent themselves on the active window*/, QLineEdit* box) {
  if (!box) return;
  const QString folder = Dialogs().selectFolder(QStringLiteral("選擇轉入檔案目錄"), box->text());
  if (folder.isEmpty()) return;
  box->setText(QDir::toNativeSeparators(QDir(folder).absolutePath()).left(260));
}
