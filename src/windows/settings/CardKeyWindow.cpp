#include "windows/settings/CardKeyWindow.h"

#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "operations/ParameterSettings.h"
#include "ui/ErrorReports.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>
#include <utility>

namespace {
constexpr int kMaxKeyLength = 16;
}

CardKeyWindow::CardKeyWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmSetBatchKey"));
  setWindowTitle(QStringLiteral("設定加密碼"));
  auto* layout = new QVBoxLayout(this);
  Label1_ = new QLabel(this);
  Label1_->setObjectName(QStringLiteral("Label1"));
  Label1_->setText(QStringLiteral("警告!!!\r\n任意修改Tolva資料加密碼，將導致已製做的卡片無法讀取\r\n請小心"));
  QPalette warn = Label1_->palette();
  warn.setColor(QPalette::WindowText, QColor(192, 0, 0));
  Label1_->setPalette(warn);
  layout->addWidget(Label1_);
  auto* rows = new QGridLayout;
  auto addKeyRow = [&](int row, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setEchoMode(QLineEdit::Password);
    label->setBuddy(edit);
    rows->addWidget(label, row, 0);
    rows->addWidget(edit, row, 1);
    return std::make_pair(label, edit);
  };
  QLabel* Label3 = nullptr;
  std::tie(Label3, txtBatchKey_) = addKeyRow(0, "txtBatchKey", QStringLiteral("Tolva資料加密碼"));
  Label3->setObjectName(QStringLiteral("Label3"));
  txtBatchKey2_ = addKeyRow(1, "txtBatchKey2", QStringLiteral("再輸入一次")).second;
  layout->addLayout(rows);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* cmdOK = new QPushButton(QStringLiteral("確定"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  auto* cmdCancel = new QPushButton(QStringLiteral("取消"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  layout->addLayout(buttons);
  connect(cmdOK, &QPushButton::clicked, this, &CardKeyWindow::setCardKey);
  connect(cmdCancel, &QPushButton::clicked, this, &CardKeyWindow::closeWindow);
  SkipFieldChecks(cmdCancel);
  // A new text is a new key: its refusal is said again.
  connect(txtBatchKey_, &QLineEdit::textEdited, this, [this] { refusedText_.clear(); });
  FieldBehaviour::install(txtBatchKey_)->setCheck([this](QLineEdit*) { return checkKey(); });
  FieldBehaviour::install(txtBatchKey2_);
  // Enter after the key typed again confirms (this filter runs before the field's own).
  txtBatchKey2_->installEventFilter(this);
  resize(460, 180);
  CenterForm(this);
  OpenFieldsForInput(this);
}

QString CardKeyWindow::keyProblem() const {
  const QString key = txtBatchKey_->text().trimmed();
  if (key.size() > kMaxKeyLength) return QStringLiteral("長度請不要超過16個英數字");
  // The key enciphers card stripes as bytes: a character outside ASCII letters and digits would
  // be one byte in this session and another (or "?") once stored in the code page and read back.
  for (const QChar c : key) {
    const char16_t u = c.unicode();
    const bool alnum = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
    if (!alnum) return QStringLiteral("加密碼只能使用英數字");
  }
  return QString();
}

bool CardKeyWindow::checkKey() {
  if (txtBatchKey_->text().trimmed().isEmpty() || txtBatchKey_->isReadOnly()) return true;
  const QString problem = keyProblem();
  if (problem.isEmpty()) return true;
  // Leaving the field for the 確定 button checks it twice; the operator hears it once.
  if (refusedText_ != txtBatchKey_->text()) {
    refusedText_ = txtBatchKey_->text();
    Dialogs().messageBox(problem, TheSettings().appName, MsgIcon::None);
  }
  txtBatchKey_->setFocus();
  txtBatchKey_->selectAll();
  return false;
}

bool CardKeyWindow::mayReplaceStoredKey(const QString& key) {
  const Fetched<bool> other = OtherCardKeyStored(OperationContext::Current(), key);
  if (!other.ok()) {
    ReportError(ErrorLabel(), other.failure);
    return false;
  }
  if (!*other) return true;
  return Dialogs().askYesNo(QStringLiteral("已設定Tolva資料加密碼，更換後以舊加密碼製做的卡片將無法讀取，確定更換？"),
                            TheSettings().appName);
}

void CardKeyWindow::setCardKey() {
  try {
    const QString key = txtBatchKey_->text().trimmed();
    if (key.isEmpty()) {
      Dialogs().messageBox(QStringLiteral("請輸入QDR卡資料加密碼"), TheSettings().appName, MsgIcon::None);
      txtBatchKey_->setFocus();
      return;
    }
    // A key the field would refuse must not slip through a click on the button.
    if (!checkKey()) return;
    if (!confirmed(key)) return;
    if (!mayReplaceStoredKey(key)) return;
    const Outcome saved = WithErrorReports([&] { return SaveCardKey(OperationContext::Current(), key); });
    ShowMessage(saved.message);
    if (!saved.ok) return;
    txtBatchKey_->clear();
    txtBatchKey2_->clear();
    hide();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool CardKeyWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtBatchKey2_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      setCardKey();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool CardKeyWindow::confirmed(const QString& key) {
  if (txtBatchKey2_->text().trimmed() == key) return true;
  Dialogs().messageBox(QStringLiteral("兩次輸入的加密碼不同，請再輸入一次"), TheSettings().appName, MsgIcon::None);
  txtBatchKey2_->clear();
  txtBatchKey2_->setFocus();
  return false;
}

void CardKeyWindow::closeWindow() {
  txtBatchKey_->clear();
  txtBatchKey2_->clear();
  refusedText_.clear();
  hide();
}
