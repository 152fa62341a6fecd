#include "windows/inquiry/CardQueryView.h"

#include "core/ErrorReport.h"
#include "ui/FieldBehaviour.h"
#include "ui/StatusPanel.h"
#include "ui/TextTable.h"
#include "ui/WindowHelpers.h"
#include "operations/CardInquiry.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

void LayOutCardLogGrid(TextTable* grid) {
  grid->setHeadings(kCardLogHeadings);
  for (int c : kCardLogHiddenCols) grid->setColHidden(c, true);
  for (int c : kCardLogRightCols) grid->setColRightAligned(c);
  grid->clearRows();
}

namespace {

struct FieldSpec {
  const char* name;
  const char* label;  // empty: shown beside the field before it
  int row;
  int col;
};
// Two columns of labelled fields; descriptions sit beside their codes. The remark's label is
// the window's own.
constexpr FieldSpec kFields[] = {
    {"txtCardNo", "卡號", 0, 0},       {"txtCardType", "卡別", 0, 1},
    {"txtBalAmt", "可用餘額", 1, 0},   {"txtBalPoint", "紅利點數", 1, 1},
    {"txtGoodThru", "有效日期", 2, 0}, {"txtBatchNo", "批次號", 2, 1},
    {"txtIssueDept", "部門別", 3, 0},  {"txtDeptName", "", 3, 0},
    {"txtStatus", "狀態", 4, 0},       {"txtStatusDscp", "", 4, 0},
    {"txtIssueDate", "製卡日期", 5, 0}, {"txtFirstDate", "售出日期", 5, 1},
    {"txtLastDate", "最後交易日", 6, 0}, {"txtPosID", "POS識別碼", 6, 1},
    {"txtUserID", "製卡人", 7, 0},     {"txtOCardNo", "舊卡號", 7, 1},
    {"txtRemark", nullptr, 8, 0},
};

QWidget* buildCardPage(QWidget* form, const QString& remarkLabel) {
  auto* page = new QWidget(form);
  auto* grid = new QGridLayout(page);
  QLineEdit* previous = nullptr;
  for (const FieldSpec& f : kFields) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(f.name));
    // Only the card number is typed; the others show values that can be selected and copied.
    edit->setFocusPolicy(Qt::ClickFocus);
    const QString label = f.label ? QString::fromUtf8(f.label) : remarkLabel;
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
  page->findChild<QLineEdit*>(QStringLiteral("txtCardNo"))->setFocusPolicy(Qt::StrongFocus);
  for (const char* right : {"txtBalAmt", "txtBalPoint"}) {
    page->findChild<QLineEdit*>(QString::fromLatin1(right))->setAlignment(Qt::AlignRight);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(9, 1);
  return page;
}

}  // namespace

void ShowCardQuery(QWidget* form, TextTable* grid, const CardQuery& card) {
  // One walk over the window's fields, not one search per field.
  for (QLineEdit* field : form->findChildren<QLineEdit*>()) {
    const auto it = card.fields.constFind(field->objectName());
    // Laying out a text again costs more than comparing it; many fields stay from card to card.
    if (it != card.fields.cend() && field->text() != *it) field->setText(*it);
  }
  grid->setDataRows(card.history);
}

bool LookUpAndShowCard(QWidget* form, TextTable* grid, const QString& cardNo, bool& found, CardQuery* loaded) {
  found = false;
  try {
    const auto fetched = LookUpCard(OperationContext::Current(), cardNo);
    if (!fetched) {
      ReportError(ErrorLabel(), fetched.failure.number, fetched.failure.description);
      return false;
    }
    if (!*fetched) return true;
    CardQuery card = **fetched;
    ShowCardQuery(form, grid, card);
    found = true;
    if (loaded) *loaded = std::move(card);
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

CardPagesWindow::CardPagesWindow(const QString& objectName, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(objectName);
  setWindowTitle(title);
}

QPushButton* CardPagesWindow::addPages(QVBoxLayout* layout, const QString& dataCaption, const QString& remarkLabel,
                                       const QString& actionCaption, const QString& actionName) {
  tabPage_ = new QTabWidget(this);
  tabPage_->setObjectName(QStringLiteral("tabPage"));
  tabPage_->addTab(buildCardPage(this, remarkLabel), dataCaption);
  fgCardLog_ = new TextTable(this);
  fgCardLog_->setObjectName(QStringLiteral("fgCardLog"));
  tabPage_->addTab(fgCardLog_, QStringLiteral("交易記錄"));
  txtCardNo_ = field(QStringLiteral("txtCardNo"));
  txtRemark_ = field(QStringLiteral("txtRemark"));
  layout->addWidget(tabPage_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* action = new QPushButton(actionCaption, this);
  action->setObjectName(actionName);
  auto* exit = new QPushButton(QStringLiteral("&Z結束"), this);
  exit->setObjectName(QStringLiteral("cmdExit"));
  for (QPushButton* b : {action, exit}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  elaMsg_->setToolTip(QStringLiteral("訊息列"));
  layout->addWidget(elaMsg_);
  SkipFieldChecks(exit);
  connect(exit, &QPushButton::clicked, this, &CardPagesWindow::closeWindow);
  connect(tabPage_, &QTabWidget::currentChanged, this, &CardPagesWindow::fitHistoryOnShow);
  return action;
}

void CardPagesWindow::resetWindow() {
  try {
    ClearInputFields(this);
    OpenFieldsForInput(this);
    LayOutCardLogGrid(fgCardLog_);
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

QLineEdit* CardPagesWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }

void CardPagesWindow::fitHistoryOnShow(int page) {
  try {
    if (page == 1) fgCardLog_->fitColumnWidths();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void CardPagesWindow::closeWindow() { hide(); }

void CardPagesWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}

void CardPagesWindow::closeEvent(QCloseEvent* event) {
  elaMsg_->setCaption(QString());
  event->ignore();
  closeWindow();
}
