#include "windows/issue/ReissueWindow.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Money.h"
#include "core/ShowMessage.h"
#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "operations/CardReissue.h"
#include "ui/ErrorReports.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {


QLineEdit* newField(QWidget* parent, const char* name, bool shown = false) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  if (shown) field->setFocusPolicy(Qt::ClickFocus);  // shown values, not typed
  return field;
}

void addRow(QGridLayout* grid, int row, const QString& label, QWidget* first, QWidget* second = nullptr) {
  auto* text = new QLabel(label, first->parentWidget());
  text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(text, row, 0);
  grid->addWidget(first, row, 1);
  if (second) grid->addWidget(second, row, 2);
}

}  // namespace

ReissueWindow::ReissueWindow(QWidget* parent)
    : CardFaceWindow(QStringLiteral("fmReIssueCard"), QStringLiteral("補發卡"), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildCardFrame());
  layout->addWidget(buildInputRows());
  // Every run starts from the installation's card message file.
  cmdIsuCard_ = addFoot(layout, {.loadOnLeave = true, .keepPerWindow = false}, QStringLiteral("補發卡"),
                        QStringLiteral("cmdIsuCard"));
  cmdIsuCard_->setVisible(false);  // shown once an old card is found

  FieldBehaviour::install(txtOCardNo_)->setCheck([this](QLineEdit*) { return checkOldCardNumber(); });
  FieldBehaviour::install(txtNewCardType_);
  FieldBehaviour::install(txtRemark_)->setCheck([this](QLineEdit*) { return checkRemark(); });
  connect(cmdIsuCard_, &QPushButton::clicked, this, &ReissueWindow::reissueCard);

  resize(560, sizeHint().height());
  finishSetUp();
  txtNewCardType_->setText(TheSettings().defaultCardType);
}

QWidget* ReissueWindow::buildCardFrame() {
  auto* frame = new QGroupBox(QStringLiteral("卡片資料"), this);
  frame->setObjectName(QStringLiteral("fraCard"));
  auto* grid = new QGridLayout(frame);
  txtOCardNo_ = newField(frame, "txtOCardNo");
  txtDeptNo_ = newField(frame, "txtDeptNo", true);
  txtDeptName_ = newField(frame, "txtDeptName", true);
  txtBalAmt_ = newField(frame, "txtBalAmt", true);
  txtBalPoint_ = newField(frame, "txtBalPoint", true);
  txtGoodThru_ = newField(frame, "txtGoodThru", true);
  txtIssueDate_ = newField(frame, "txtIssueDate", true);
  txtStatus_ = newField(frame, "txtStatus", true);
  txtStatusDscp_ = newField(frame, "txtStatusDscp", true);
  txtBalAmt_->setAlignment(Qt::AlignRight);
  txtBalPoint_->setAlignment(Qt::AlignRight);
  addRow(grid, 0, QStringLiteral("原卡號"), txtOCardNo_);
  addRow(grid, 1, QStringLiteral("店別"), txtDeptNo_, txtDeptName_);
  addRow(grid, 2, QStringLiteral("可用餘額"), txtBalAmt_);
  addRow(grid, 3, QStringLiteral("紅利點數"), txtBalPoint_);
  addRow(grid, 4, QStringLiteral("有效日期"), txtGoodThru_);
  addRow(grid, 5, QStringLiteral("發卡日"), txtIssueDate_);
  addRow(grid, 6, QStringLiteral("狀態"), txtStatus_, txtStatusDscp_);
  grid->setColumnStretch(2, 1);
  return frame;
}

QWidget* ReissueWindow::buildInputRows() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  txtNewCardType_ = newField(box, "txtNewCardType");
  txtRemark_ = newField(box, "txtRemark");
  txtNewCardType_->setMaximumWidth(120);
  txtRemark_->setMaximumWidth(120);
  addRow(grid, 0, QStringLiteral("新卡卡別"), txtNewCardType_);
  addRow(grid, 1, QStringLiteral("卡片備註碼"), txtRemark_);
  grid->setColumnStretch(2, 1);
  return box;
}

QLineEdit* ReissueWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }

Fetched<bool> ReissueWindow::showOldCard(const QString& cardNo) {
  const auto found = WithErrorReports([&] { return LoadCardForReissue(OperationContext::Current(), cardNo); });
  if (!found) return found.failure;
  const std::optional<ReissueCardView>& card = *found;
  if (!card) return false;
  txtDeptNo_->setText(card->issueDept);
  txtDeptName_->setText(card->storeName);
  txtBalAmt_->setText(card->balAmt);
  txtBalPoint_->setText(card->balPoint);
  txtGoodThru_->setText(DateForDisplay(card->goodThru));
  txtIssueDate_->setText(DateForDisplay(card->issueDate));
  txtStatus_->setText(card->status);
  txtStatusDscp_->setText(card->statusDscp);
  return true;
}

bool ReissueWindow::checkOldCardNumber() {
  if (txtOCardNo_->text().trimmed().isEmpty() || txtOCardNo_->isReadOnly()) return true;
  txtOCardNo_->setText(txtOCardNo_->text().toUpper());
  const Fetched<bool> shown = showOldCard(txtOCardNo_->text().trimmed());
  if (!shown.ok()) {
    ReportError(ErrorLabel(), shown.failure);
  } else if (*shown) {
    cmdIsuCard_->setVisible(true);
    return true;
  } else {
    ShowStatusMessage(elaMsg_, QStringLiteral("資料庫無此卡號"));
  }
  SelectAll(txtOCardNo_);
  return false;
}

bool ReissueWindow::checkRemark() {
  if (txtRemark_->text().trimmed().isEmpty() || txtRemark_->isReadOnly()) return true;
  if (ReissueRemarkFits(txtRemark_->text())) return true;
  ShowMessage(QStringLiteral("卡片備註碼不可超過三碼"));
  SelectAll(txtRemark_);
  return false;
}
