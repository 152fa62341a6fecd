#include "forms/inquiry/fmQryCard.h"

#include "app/ErrorReport.h"
#include "app/ShowMsg.h"
#include "app/globals.h"
#include "app/uiElaBar.h"
#include "app/uiFieldBehaviour.h"
#include "app/uiFormUtil.h"
#include "app/uiGrid.h"
#include "card/CardOperation.h"
#include "forms/inquiry/basQryCard.h"
#include "forms/inquiry/uiQryCard.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kNoSuchCard = QStringLiteral("資料庫無此卡號");

struct FieldSpec {
  const char* name;
  const char* label;  // empty: shown beside the field before it
  int row;
  int col;
};
// Two columns of labelled fields; descriptions sit beside their codes.
constexpr FieldSpec kFields[] = {
    {"txtCardNo", "卡號", 0, 0},       {"txtCardType", "卡別", 0, 1},
    {"txtBalAmt", "可用餘額", 1, 0},   {"txtBalPoint", "紅利點數", 1, 1},
    {"txtGoodThru", "有效日期", 2, 0}, {"txtBatchNo", "批次號", 2, 1},
    {"txtIssueDept", "部門別", 3, 0},  {"txtDeptName", "", 3, 0},
    {"txtStatus", "狀態", 4, 0},       {"txtStatusDscp", "", 4, 0},
    {"txtIssueDate", "製卡日期", 5, 0}, {"txtFirstDate", "售出日期", 5, 1},
    {"txtLastDate", "最後交易日", 6, 0}, {"txtPosID", "POS識別碼", 6, 1},
    {"txtUserID", "製卡人", 7, 0},     {"txtOCardNo", "舊卡號", 7, 1},
    {"txtRemark", "備註", 8, 0},
};

}  // namespace

fmQryCard::fmQryCard(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmQryCard"));
  setWindowTitle(QStringLiteral("單卡查詢"));
  auto* layout = new QVBoxLayout(this);
  tabPage_ = new QTabWidget(this);
  tabPage_->setObjectName(QStringLiteral("tabPage"));
  tabPage_->addTab(buildCardPage(), QStringLiteral("Tolva資料"));
  fgCardLog_ = new FlexGrid(this);
  fgCardLog_->setObjectName(QStringLiteral("fgCardLog"));
  tabPage_->addTab(fgCardLog_, QStringLiteral("交易記錄"));
  layout->addWidget(tabPage_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cmdReadCard_ = new QPushButton(QStringLiteral("讀卡"), this);
  cmdReadCard_->setObjectName(QStringLiteral("cmdReadCard"));
  auto* cmdExit = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  for (QPushButton* b : {cmdReadCard_, cmdExit}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  elaMsg_ = new ElaBar(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  elaMsg_->setToolTip(QStringLiteral("訊息列"));
  layout->addWidget(elaMsg_);

  // Reading a card replaces the number, and leaving must work whatever the field holds.
  SkipFieldChecks(cmdReadCard_);
  SkipFieldChecks(cmdExit);
  FieldBehaviour::install(txtCardNo_)->setCheck([this](QLineEdit*) { return txtCardNo_Validate(); });
  txtCardNo_->installEventFilter(this);
  connect(cmdReadCard_, &QPushButton::clicked, this, &fmQryCard::cmdReadCard_Click);
  connect(cmdExit, &QPushButton::clicked, this, &fmQryCard::cmdExit_Click);
  connect(tabPage_, &QTabWidget::currentChanged, this, &fmQryCard::tabPage_Switch);

  resize(640, 420);
  try {
    InitForm();
  } catch (...) {
    ReportError(QStringLiteral("fmQryCard_Form_Load"));
  }
}

QWidget* fmQryCard::buildCardPage() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  QLineEdit* previous = nullptr;
  for (const FieldSpec& f : kFields) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(f.name));
    // Only the card number is typed; the others show values that can be selected and copied.
    edit->setFocusPolicy(Qt::ClickFocus);
    const QString label = QString::fromUtf8(f.label);
    if (label.isEmpty()) {
      // A description beside its code: the code field narrows to make room.
      auto* pair = new QHBoxLayout;
      grid->removeWidget(previous);
      previous->setMaximumWidth(80);
      pair->addWidget(previous);
      pair->addWidget(edit, 1);
      grid->addLayout(pair, f.row, f.col * 2 + 1);
    } else {
      auto* l = new QLabel(label, page);
      l->setBuddy(edit);
      grid->addWidget(l, f.row, f.col * 2, Qt::AlignRight);
      grid->addWidget(edit, f.row, f.col * 2 + 1);
    }
    previous = edit;
  }
  txtCardNo_ = page->findChild<QLineEdit*>(QStringLiteral("txtCardNo"));
  txtCardNo_->setFocusPolicy(Qt::StrongFocus);
  for (const char* right : {"txtBalAmt", "txtBalPoint"}) {
    page->findChild<QLineEdit*>(QString::fromLatin1(right))->setAlignment(Qt::AlignRight);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(9, 1);
  return page;
}

void fmQryCard::InitForm() {
  ClearFields(this);
  SetInputMode(this);
  InitCardLogGrid(fgCardLog_);
}

QLineEdit* fmQryCard::field(const QString& name) const { return findChild<QLineEdit*>(name); }

void fmQryCard::clearWindow() {
  ClearFields(this);
  fgCardLog_->clearRows();
}

bool fmQryCard::txtCardNo_Validate() {
  try {
    if (txtCardNo_->text().trimmed().isEmpty()) {
      clearWindow();
      return true;
    }
    if (txtCardNo_->isReadOnly()) return true;
    bool found = false;
    // A database error was reported; the operator is not held in the field by it.
    if (!QryCardData(this, fgCardLog_, txtCardNo_->text(), found) || found) return true;
    DispElaMsg(elaMsg_, kNoSuchCard);
    SelectAll(txtCardNo_);
    return false;
  } catch (...) {
    ReportError(QStringLiteral("txtCardNo_Validate"));
    return true;
  }
}

void fmQryCard::cmdReadCard_Click() {
  // Device polls keep operator input out; this guards a press that arrives some other way.
  if (reading_) return;
  reading_ = true;
  cmdReadCard_->setEnabled(false);
  try {
    readCard();
  } catch (...) {
    ReportError(QStringLiteral("fmQryCard_cmdReadCard_Click"));
  }
  cmdReadCard_->setEnabled(true);
  reading_ = false;
}

void fmQryCard::readCard() {
  if (gBatchKey.isEmpty()) {
    DispElaMsg(elaMsg_, QStringLiteral("未設定資料加密碼"));
    return;
  }
  // Only read: the operation has no rows, so nothing is written to the card or the database.
  CardOperation op(QStringLiteral("fmQryCard_cmdReadCard_Click"), QString());
  QString msg;
  if (!op.run(msg)) {
    ShowMsg(msg);
    return;
  }
  const CardImage& card = op.card().image;
  const QString cardNo = card.cardNo.trimmed();
  bool found = false;
  CardQuery db;
  if (!QryCardData(this, fgCardLog_, cardNo, found, &db)) return;
  if (!found) {
    ShowMsg(kNoSuchCard + QStringLiteral("\n卡號：") + cardNo);
    return;
  }
  elaMsg_->setCaption(QString());
  if (CardDiffersFromRecord(card, db)) ShowMsg(CardDifferenceText(card), 60);
}

void fmQryCard::tabPage_Switch(int newTab) {
  try {
    if (newTab == 1) fgCardLog_->fitColumnWidths();
  } catch (...) {
    ReportError(QStringLiteral("fmQryCard_tabPage_Switch"));
  }
}

void fmQryCard::cmdExit_Click() { hide(); }

void fmQryCard::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}

void fmQryCard::closeEvent(QCloseEvent* event) {
  // The frame's close hides the window like the exit button; it is kept for the next query.
  elaMsg_->setCaption(QString());
  QWidget::closeEvent(event);
}

bool fmQryCard::eventFilter(QObject* watched, QEvent* event) {
  // An emptied number clears the window; the field's own check only sees a field with text.
  if (watched == txtCardNo_ && event->type() == QEvent::FocusOut && txtCardNo_->text().isEmpty()) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) clearWindow();
  }
  return QWidget::eventFilter(watched, event);
}
