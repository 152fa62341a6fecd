#include "windows/counter/MainWindow.h"
#include "windows/settings/BackupWindow.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/ShowMessage.h"
#include "operations/CardReading.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "windows/counter/MenuWindows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QList<QPair<QString, QString>> kCardMenu = {
    {QStringLiteral("cmdIsuCard"), QStringLiteral("發卡作業")},
    {QStringLiteral("cmdSaleCard"), QStringLiteral("售出卡片")},
    {QStringLiteral("cmdAddAmt"), QStringLiteral("加值作業")},
    {QStringLiteral("cmdReIssueCard"), QStringLiteral("補發卡作業")},
    {QStringLiteral("cmdVoidTxn"), QStringLiteral("沖正")},
    {QStringLiteral("cmdSetGoodThru"), QStringLiteral("更改有效日期")},
    {QStringLiteral("cmdQryCard"), QStringLiteral("單卡查詢")},
    {QStringLiteral("cmdEraseCard"), QStringLiteral("清除卡片")},
    {QStringLiteral("cmdDelCard"), QStringLiteral("設定黑名單")},
};
const QList<QPair<QString, QString>> kReportMenu = {
    {QStringLiteral("cmdCardLogImport"), QStringLiteral("交易資料轉入")},
    {QStringLiteral("cmdVoidCardExport"), QStringLiteral("黑名單轉出")},
    {QStringLiteral("cmdRptIssueCard"), QStringLiteral("製卡報表")},
    {QStringLiteral("cmdLog"), QStringLiteral("作業記錄")},
    {QStringLiteral("Command4"), QStringLiteral("加值明細表")},
    {QStringLiteral("Command5"), QStringLiteral("抵扣明細表")},
    {QStringLiteral("Command6"), QStringLiteral("銷售明細表")},
    {QStringLiteral("cmdRptLiability"), QStringLiteral("未兌付餘額表")},
    {QStringLiteral("cmdRptReconcile"), QStringLiteral("帳務核對表")},
    {QStringLiteral("cmdRptAccounting"), QStringLiteral("帳務報表")},
};
const QList<QPair<QString, QString>> kSettingMenu = {
    {QStringLiteral("cmdSetting"), QStringLiteral("系統參數設定")},
    {QStringLiteral("cmdSetDept"), QStringLiteral("部門設定")},
    {QStringLiteral("cmdSetMsg"), QStringLiteral("促銷訊息設定")},
    {QStringLiteral("cmdSetBatchKey"), QStringLiteral("設定加密碼")},
    {QStringLiteral("cmdBackup"), QStringLiteral("資料庫備份")},
};
// Buttons that the menu shows but that open nothing.
const QStringList kNoAction = {};

QString versionText() {
  return QStringLiteral("V%1.%2.%3").arg(TOLVA_VERSION_MAJOR).arg(TOLVA_VERSION_MINOR).arg(TOLVA_VERSION_PATCH);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("fmTolva"));
  counterHandlers_.insert(QStringLiteral("cmdReadCard"), [this] { readCard(); });
  counterHandlers_.insert(QStringLiteral("cmdClientAddAmt"), [this] { topUpCard(); });
  counterHandlers_.insert(QStringLiteral("cmdDeductAmt"), [this] { deductAmount(); });
  counterHandlers_.insert(QStringLiteral("cmdDeductPoint"), [this] { deductPoints(); });
  counterHandlers_.insert(QStringLiteral("cmdSaleCardT"), [this] { sellCard(); });
  counterHandlers_.insert(QStringLiteral("cmdUPDOCheck"), [this] { reverseTransaction(); });
  setWindowTitle(QStringLiteral("QDR卡管理作業"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildHead());
  tabPage_ = new QTabWidget(this);
  tabPage_->setObjectName(QStringLiteral("tabPage"));
  tabPage_->addTab(buildCardPage(), QStringLiteral("卡片作業"));
  tabPage_->addTab(buildMenuPage(kReportMenu), QStringLiteral("資料交換與報表"));
  tabPage_->addTab(buildMenuPage(kSettingMenu), QStringLiteral("系統設定"));
  layout->addWidget(tabPage_, 1);
  auto* foot = new QHBoxLayout;
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  foot->addWidget(elaMsg_, 1);
  foot->addWidget(makeButton(QStringLiteral("cmdExit"), QStringLiteral("&Z結束"), this));
  layout->addLayout(foot);
  connect(button(QStringLiteral("cmdExit")), &QPushButton::clicked, this, &MainWindow::quitProgram);
  installCounterChecks();
  prepareWindow();
}

QPushButton* MainWindow::makeButton(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setMinimumHeight(34);
  return b;
}

QWidget* MainWindow::buildHead() {
  auto* head = new QWidget(this);
  head->setObjectName(QStringLiteral("fraHead"));
  head->setAutoFillBackground(true);
  QPalette p = head->palette();
  p.setColor(QPalette::Window, QColor(0, 70, 130));
  p.setColor(QPalette::WindowText, Qt::white);
  head->setPalette(p);
  auto* row = new QHBoxLayout(head);
  lblTitle_ = new QLabel(QStringLiteral("QDR卡管理作業"), head);
  lblTitle_->setObjectName(QStringLiteral("lblHead0"));
  QFont big = lblTitle_->font();
  big.setPointSize(big.pointSize() + 8);
  big.setBold(true);
  lblTitle_->setFont(big);
  lblBrand_ = new QLabel(QStringLiteral("Tolva"), head);
  lblBrand_->setObjectName(QStringLiteral("lblHead1"));
  QFont brand = lblBrand_->font();
  brand.setPointSize(brand.pointSize() + 4);
  brand.setItalic(true);
  lblBrand_->setFont(brand);
  lblDate_ = new QLabel(head);
  lblDate_->setObjectName(QStringLiteral("lblHead2"));
  row->addWidget(lblTitle_);
  row->addSpacing(16);
  row->addWidget(lblBrand_);
  row->addStretch(1);
  row->addWidget(lblDate_);
  return head;
}

QWidget* MainWindow::buildCardPage() {
  auto* page = new QWidget(this);
  auto* layout = new QHBoxLayout(page);
  auto* frame = new QGroupBox(QStringLiteral("卡片資料"), page);
  frame->setObjectName(QStringLiteral("fraCard"));
  auto* row = new QHBoxLayout(frame);
  row->addLayout(buildCardValues(frame), 2);
  row->addSpacing(12);
  row->addLayout(buildCounterOperations(frame), 3);
  for (auto it = counterHandlers_.begin(); it != counterHandlers_.end(); ++it) {
    connect(button(it.key()), &QPushButton::clicked, this, it.value());
  }
  layout->addWidget(frame, 3);

  auto* menu = new QGroupBox(QStringLiteral("作業"), page);
  menu->setObjectName(QStringLiteral("fraMenu"));
  auto* menuLayout = new QVBoxLayout(menu);
  for (const auto& [name, caption] : kCardMenu) menuLayout->addWidget(makeButton(name, caption, menu));
  menuLayout->addStretch(1);
  layout->addWidget(menu, 1);
  for (const auto& [name, caption] : kCardMenu) {
    connect(button(name), &QPushButton::clicked, this, [this, n = name] { openOperationWindow(n); });
  }
  return page;
}

QLayout* MainWindow::buildCardValues(QWidget* frame) {
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  const QList<QPair<QString, QString>> cardFields = {
      {QStringLiteral("txtCardNo"), QStringLiteral("卡號")},      {QStringLiteral("txtBatchNo"), QStringLiteral("批次號")},
      {QStringLiteral("txtDeptNo"), QStringLiteral("部門別")},    {QStringLiteral("txtGoodThru"), QStringLiteral("有效日期")},
      {QStringLiteral("txtBalAmt"), QStringLiteral("可用餘額")},  {QStringLiteral("txtBalPoint"), QStringLiteral("紅利點數")},
  };
  for (const auto& [name, caption] : cardFields) {
    auto* edit = new QLineEdit(frame);
    edit->setObjectName(name);
    edit->setFocusPolicy(Qt::ClickFocus);  // shown values, not typed
    form->addRow(caption, edit);
  }
  return form;
}

// The counter operations: each amount field sits beside the buttons that use it.
QLayout* MainWindow::buildCounterOperations(QWidget* frame) {
  auto* grid = new QGridLayout;
  auto entry = [&](const char* name, const QString& label, int row, int col) {
    auto* edit = new QLineEdit(frame);
    edit->setObjectName(QString::fromLatin1(name));
    FieldBehaviour::install(edit);
    grid->addWidget(new QLabel(label, frame), row, col, Qt::AlignRight);
    grid->addWidget(edit, row, col + 1);
    return edit;
  };
  auto action = [&](const char* name, const QString& caption, int row, int col, int span = 1) {
    grid->addWidget(makeButton(QString::fromLatin1(name), caption, frame), row, col, 1, span);
  };
  action("cmdReadCard", QStringLiteral("讀卡"), 0, 0, 2);
  action("cmdSaleCardT", QStringLiteral("售出卡片"), 0, 2, 2);
  entry("txtAmt", QStringLiteral("金額"), 1, 0);
  action("cmdClientAddAmt", QStringLiteral("加值"), 1, 2);
  action("cmdDeductAmt", QStringLiteral("扣抵"), 1, 3);
  entry("txtPoint", QStringLiteral("點數"), 2, 0);
  action("cmdDeductPoint", QStringLiteral("抵扣紅利點數"), 2, 2, 2);
  // The reversal modes in words: a bare digit was easy to get wrong at the counter.
  auto* mode = new QComboBox(frame);
  mode->setObjectName(QStringLiteral("cboType"));
  mode->addItem(QStringLiteral("1 沖正加值（扣回金額與點數）"), QStringLiteral("1"));
  mode->addItem(QStringLiteral("2 沖正扣抵（退回金額、扣回點數）"), QStringLiteral("2"));
  mode->addItem(QStringLiteral("3 沖正紅利點數扣抵（退回點數）"), QStringLiteral("3"));
  mode->setCurrentIndex(-1);
  mode->setPlaceholderText(QStringLiteral("請選擇"));
  grid->addWidget(new QLabel(QStringLiteral("沖正類別"), frame), 3, 0, Qt::AlignRight);
  grid->addWidget(mode, 3, 1);
  entry("txtAmtB", QStringLiteral("沖正金額"), 3, 2);
  entry("txtVoidPoint", QStringLiteral("沖正點數"), 4, 0);
  action("cmdUPDOCheck", QStringLiteral("交易沖正"), 4, 2, 2);
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return grid;
}

QWidget* MainWindow::buildMenuPage(const QList<QPair<QString, QString>>& buttons) {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  int i = 0;
  for (const auto& [name, caption] : buttons) {
    QPushButton* b = makeButton(name, caption, page);
    b->setMinimumWidth(180);
    grid->addWidget(b, i / 3, i % 3);
    if (!kNoAction.contains(name)) connect(b, &QPushButton::clicked, this, [this, n = name] { openOperationWindow(n); });
    ++i;
  }
  grid->setRowStretch(grid->rowCount(), 1);
  return page;
}

void MainWindow::prepareWindow() {
  try {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (program.exists()) {
      lblTitle_->setToolTip(QStringLiteral("檔案日期:") +
                            program.lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    }
    lblBrand_->setToolTip(versionText());
    lblDate_->setText(DateForDisplay(Today()));
    elaMsg_->setCaption(versionText());
    setUpControls();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void MainWindow::setUpControls() {
  try {
    // A menu button whose window is not part of this program yet stays visible but disabled.
    for (const auto* menu : {&kCardMenu, &kReportMenu, &kSettingMenu}) {
      for (const auto& [name, caption] : *menu) button(name)->setEnabled(kNoAction.contains(name) || HasOperationWindow(name));
    }
    for (QPushButton* b : findChild<QGroupBox*>(QStringLiteral("fraCard"))->findChildren<QPushButton*>()) {
      b->setEnabled(counterHandlers_.contains(b->objectName()));
    }
    OpenFieldsForInput(this);
    for (const char* n : {"txtCardNo", "txtBatchNo", "txtDeptNo", "txtGoodThru", "txtBalAmt", "txtBalPoint"}) {
      field(QString::fromLatin1(n))->setReadOnly(true);
    }
    tabPage_->setCurrentIndex(0);
    resize(900, 520);
    placeOnScreen();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void MainWindow::placeOnScreen() { CenterForm(this); }

void MainWindow::updateCardPageAccess() {
  // Card operations need the card data key; the settings page stays open to set it.
  // Without a key the operator lands on the settings page, where the key is set.
  if (TheSettings().batchKey.isEmpty() && tabPage_->currentIndex() == 0) tabPage_->setCurrentIndex(2);
  tabPage_->setTabEnabled(0, !TheSettings().batchKey.isEmpty());
}

void MainWindow::showEvent(QShowEvent* event) {
  updateCardPageAccess();
  QWidget::showEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) updateCardPageAccess();
  QWidget::changeEvent(event);
}

void MainWindow::openOperationWindow(const QString& buttonName) {
  try {
    if (!HasOperationWindow(buttonName)) return;
    if (current_ && current_->isVisible()) current_->hide();
    QPointer<QWidget>& target = windows_[buttonName];
    if (!target) {
      target = CreateOperationWindow(buttonName);
      // Nothing read before a restore may go on being used: the program ends.
      if (auto* backup = qobject_cast<BackupWindow*>(target.data())) {
        connect(backup, &BackupWindow::databaseRestored, this, &MainWindow::quitProgram, Qt::QueuedConnection);
      }
    }
    current_ = target;
    target->show();
    target->raise();
    target->activateWindow();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void MainWindow::readCard() {
  try {
    const CardReadOutcome out = ReadCardInReader();
    if (!out.ok) {
      ShowStatusMessage(elaMsg_, out.message);
      ShowMessage(out.message);
      return;
    }
    const CardImage& c = out.card;
    field(QStringLiteral("txtCardNo"))->setText(c.cardNo);
    field(QStringLiteral("txtDeptNo"))->setText(c.storeNo);
    field(QStringLiteral("txtGoodThru"))->setText(c.goodThru.toString());
    field(QStringLiteral("txtBalAmt"))->setText(c.balAmt);
    field(QStringLiteral("txtBalPoint"))->setText(c.balPoint);
    field(QStringLiteral("txtBatchNo"))->setText(c.batchNo);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

QLineEdit* MainWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }

QPushButton* MainWindow::button(const QString& name) const { return findChild<QPushButton*>(name); }

bool MainWindow::closeOperationWindows() {
  // Unsaved edits first, in every window, shown or hidden by the menu: a "No" keeps the program
  // before anything is closed.
  for (const QPointer<QWidget>& w : std::as_const(windows_)) {
    auto* edits = dynamic_cast<UnsavedEdits*>(w.data());
    if (edits && !edits->mayDiscardEdits()) return false;
  }
  for (const QPointer<QWidget>& w : std::as_const(windows_)) {
    // A window that stays on screen after being asked to close runs a card operation still.
    if (w && !w->close() && w->isVisible()) return false;
  }
  return true;
}

void MainWindow::quitProgram() {
  if (closeOperationWindows()) QApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  elaMsg_->setCaption(QString());
  if (!closeOperationWindows()) {
    event->ignore();
    return;
  }
  event->accept();
  QApplication::quit();
}
