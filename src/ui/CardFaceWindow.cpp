#include "ui/CardFaceWindow.h"

#include "ui/CardMessagePanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/MessageFileRow.h"
#include "ui/StatusPanel.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

CardFaceWindow::CardFaceWindow(const QString& objectName, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(objectName);
  setWindowTitle(title);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
}

CardFaceWindow::CardFrame CardFaceWindow::makeCardFrame(const QString& firstName, const QString& firstLabel,
                                                       const QString& secondName, const QString& secondLabel) {
  CardFrame card{};
  card.cardNo = ShownField(QStringLiteral("txtCardNo"), this);
  card.goodThru = ShownField(QStringLiteral("txtGoodThru"), this);
  card.first = ShownField(firstName, this);
  card.second = ShownField(secondName, this);
  card.first->setAlignment(Qt::AlignRight);
  card.second->setAlignment(Qt::AlignRight);
  QGroupBox* frame = FieldFrame(QStringLiteral("卡片資料"),
                                {{QStringLiteral("卡號"), card.cardNo},
                                 {QStringLiteral("有效日期"), card.goodThru},
                                 {firstLabel, card.first},
                                 {secondLabel, card.second}},
                                this);
  frame->setObjectName(QStringLiteral("fraCard"));
  card.frame = frame;
  return card;
}

QPushButton* CardFaceWindow::addFoot(QVBoxLayout* layout, FileRow fileRow, const QString& actionCaption,
                                     const QString& actionName) {
  panel_ = new CardMessagePanel(elaMsg_, 0, this);
  layout->addWidget(panel_);
  fileRow_ = new MessageFileRow(objectName(), panel_, elaMsg_, fileRow.loadOnLeave, fileRow.keepPerWindow, this);
  layout->addWidget(fileRow_);
  layout->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* action = new QPushButton(actionCaption, this);
  action->setObjectName(actionName);
  cmdExit_ = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  SkipFieldChecks(cmdExit_);
  connect(cmdExit_, &QPushButton::clicked, this, &CardFaceWindow::closeWindow);
  buttons->addWidget(action);
  buttons->addWidget(cmdExit_);
  layout->addLayout(buttons);
  layout->addWidget(elaMsg_);
  return action;
}

void CardFaceWindow::finishSetUp() {
  OpenFieldsForInput(this);
  ClearInputFields(this);
  fileRow_->restore();
}

QLineEdit* CardFaceWindow::txtFile() const { return fileRow_->txtFile(); }

void CardFaceWindow::closeWindow() {
  fileRow_->store();
  hide();
}

void CardFaceWindow::closeEvent(QCloseEvent* event) {
  // The device polls let the title bar's close through; the run finishes first.
  if (pressing_) {
    event->ignore();
    return;
  }
  fileRow_->store();
  QWidget::closeEvent(event);
}

void CardFaceWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
