#include "windows/exchange/ImportWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Paths.h"
#include "core/UserSettings.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "ui/FolderField.h"
#include "operations/ExchangeJobs.h"
#include "ui/ErrorReports.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidgetItem>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString kCaption = QStringLiteral("交易資料轉入");
const QString kSection = QStringLiteral("CardLog");
const QString kKey = QStringLiteral("Dir");

QPushButton* button(QWidget* owner, const char* name, const QString& text) {
  auto* b = new QPushButton(text, owner);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}
}  // namespace

ImportWindow::ImportWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmCardLogImport"));
  setWindowTitle(kCaption);
  auto* layout = new QVBoxLayout(this);
  auto* dirRow = new QHBoxLayout;
  dirRow->addWidget(new QLabel(QStringLiteral("轉入目錄"), this));
  txtDir_ = new QLineEdit(this);
  txtDir_->setObjectName(QStringLiteral("txtDir"));
  dirRow->addWidget(txtDir_, 1);
  layout->addLayout(dirRow);
  fgList_ = new DataGrid(this);
  fgList_->setObjectName(QStringLiteral("fgList"));
  fgList_->setHeadings(QStringLiteral("檔案名稱|狀態"));
  fgList_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(fgList_, 1);
  auto* progressRow = new QHBoxLayout;
  progress_ = new QProgressBar(this);
  progress_->setFormat(QStringLiteral("%v/%m"));
  lblProgress_ = new QLabel(this);
  progressRow->addWidget(progress_, 1);
  progressRow->addWidget(lblProgress_);
  layout->addLayout(progressRow);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdView_ = button(this, "cmdView", QStringLiteral("檢視"));
  cmdOK_ = button(this, "cmdOK", QStringLiteral("轉入"));
  cmdStop_ = button(this, "cmdStop", QStringLiteral("停止"));
  cmdExit_ = button(this, "cmdExit", QStringLiteral("&Z結束"));
  for (QPushButton* b : {cmdView_, cmdOK_, cmdStop_, cmdExit_}) buttons->addWidget(b);
  layout->addLayout(buttons);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);

  SkipFieldChecks(cmdExit_);
  SkipFieldChecks(cmdStop_);
  FieldBehaviour* field = FieldBehaviour::install(txtDir_);
  field->setCheck([this](QLineEdit*) { return checkFolder(); });
  field->setPicker([this](QLineEdit* box) { SelectDir(this, box); });
  connect(cmdOK_, &QPushButton::clicked, this, &ImportWindow::importFiles);
  connect(cmdView_, &QPushButton::clicked, this, &ImportWindow::viewSelectedFile);
  connect(cmdStop_, &QPushButton::clicked, this, &ImportWindow::stopImport);
  connect(cmdExit_, &QPushButton::clicked, this, &ImportWindow::closeWindow);
  setRunning(false);
  resize(560, 420);
  try {
    restoreFolder();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void ImportWindow::restoreFolder() {
  elaMsg_->setCaption(QString());
  txtDir_->setText(GetSetting(kSection, kKey, TheSettings().appPath));
  if (FolderExists(txtDir_->text())) listStoreFiles();
}

void ImportWindow::listStoreFiles() {
  fgList_->clearRows();
  const QString dir = txtDir_->text().trimmed();
  files_ = FolderExists(dir) ? ListStoreFiles(dir) : QList<ListedStoreFile>();
  for (const ListedStoreFile& file : files_) {
    fgList_->addRow({file.name, QString()});
    QCoreApplication::processEvents();
  }
  fgList_->fitColumnWidths();
  progress_->setRange(0, std::max(1, fgList_->rows() - 1));
  progress_->setValue(0);
  lblProgress_->clear();
}

bool ImportWindow::checkFolder() {
  if (!FolderExists(txtDir_->text().trimmed())) {
    ShowStatusMessage(elaMsg_, QStringLiteral("此目錄不存在"));
    return false;
  }
  listStoreFiles();
  return true;
}

void ImportWindow::viewSelectedFile() {
  const int row = fgList_->currentRow() + 1;
  if (row < 1 || row >= fgList_->rows()) return;
  QString reason;
  const QString path = OpenableStoreFile(txtDir_->text().trimmed(), files_.at(row - 1), reason);
  if (path.isEmpty()) {
    ShowStatusMessage(elaMsg_, reason);
    return;
  }
  if (!ShellOpen(path)) ShowStatusMessage(elaMsg_, kNoProgramText);
}

void ImportWindow::stopImport() { stopRequested_ = true; }

void ImportWindow::setRunning(bool on) {
  running_ = on;
  for (QWidget* w : std::initializer_list<QWidget*>{txtDir_, cmdOK_, cmdView_, cmdExit_}) w->setEnabled(!on);
  cmdStop_->setEnabled(on);
  Dialogs().setBusyCursor(on);
}

bool ImportWindow::importRow(int row, int& rowsLoaded) {
  const QString dir = txtDir_->text().trimmed();
  const ListedStoreFile& file = files_.at(row - 1);
  const QString path = QDir(dir).filePath(file.name);
  QString result;
  if (file.kind != ListedStoreFile::Name::CodePage && !FileExists(path)) {
    result = QStringLiteral("檔案不存在");
  } else {
    elaMsg_->setCaption(QStringLiteral("處理QDR卡交易檔:") + QDir::toNativeSeparators(path));
    QCoreApplication::processEvents();
    const ImportOutcome o = WithErrorReports([&] { return ImportListedFile(dir, file); });
    LogImportOutcome(path, o);
    if (o.ok) {
      rowsLoaded += o.rows;
      elaMsg_->setCaption(ImportedText(o));
      if (o.alreadyImported || o.byOtherRun) result = o.resultText();
    } else {
      result = o.resultText();
    }
  }
  fgList_->setTextMatrix(row, 1, result.isEmpty() ? QStringLiteral("轉入OK") : result);
  if (QTableWidgetItem* cell = fgList_->item(row - 1, 1)) cell->setTextAlignment(Qt::AlignCenter);
  fgList_->resizeColumnToContents(1);
  progress_->setValue(row);
  lblProgress_->setText(QStringLiteral("已轉入 %1 筆").arg(rowsLoaded));
  emit fileImported(row);
  QCoreApplication::processEvents();
  // A file that was imported before loaded fine: only a failure asks whether to go on.
  if (!result.isEmpty() && !result.startsWith(QStringLiteral("轉入OK")))
    return Dialogs().askYesNo(QStringLiteral("是否要繼續作業"), kCaption);
  return true;
}

void ImportWindow::importFiles() {
  if (running_) return;
  if (txtDir_->text().trimmed().isEmpty()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("請先選擇目錄"));
    return;
  }
  if (fgList_->rows() <= 1) {
    ShowStatusMessage(elaMsg_, QStringLiteral("目錄下沒有資料檔"));
    return;
  }
  stopRequested_ = false;
  setRunning(true);
  progress_->setRange(0, fgList_->rows() - 1);
  progress_->setValue(0);
  int rowsLoaded = 0;
  try {
    for (int row = 1; row < fgList_->rows() && !stopRequested_; ++row)
      if (!importRow(row, rowsLoaded)) break;
  } catch (...) {
    ReportError(ErrorLabel());
  }
  setRunning(false);
}

void ImportWindow::closeWindow() {
  if (running_) {
    stopRequested_ = true;
    return;
  }
  SaveSetting(kSection, kKey, txtDir_->text().trimmed());
  hide();
}

void ImportWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}

void ImportWindow::closeEvent(QCloseEvent* event) {
  // The frame's close hides the window like the exit button; during a run it stops the run.
  elaMsg_->setCaption(QString());
  event->ignore();
  closeWindow();
}
