#include "ui/CardWaitDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Between polls the event loop sleeps, so a long wait costs next to no processor time; a
// card is still noticed well within a tenth of a second.
constexpr int kPollIntervalMs = 50;
}  // namespace

CardWaitDialog::CardWaitDialog(std::function<bool()> poll, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), poll_(std::move(poll)) {
  setObjectName(QStringLiteral("frmWaitCard"));
  setWindowTitle(QGuiApplication::applicationDisplayName());
  setModal(true);
  lblMessage_ = new QLabel(QStringLiteral("請插入卡片....."), this);
  lblMessage_->setObjectName(QStringLiteral("lblMessage"));
  QFont big = lblMessage_->font();
  big.setPointSize(big.pointSize() + 6);
  lblMessage_->setFont(big);
  lblMessage_->setAlignment(Qt::AlignCenter);
  cmdCancel = new QPushButton(QStringLiteral("取消"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setCursor(Qt::ArrowCursor);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblMessage_);
  layout->addWidget(cmdCancel, 0, Qt::AlignHCenter);
  setCursor(Qt::WaitCursor);
  connect(cmdCancel, &QPushButton::clicked, this, &CardWaitDialog::cancelWait);
  timer_ = new QTimer(this);
  timer_->setInterval(kPollIntervalMs);
  connect(timer_, &QTimer::timeout, this, &CardWaitDialog::pollOnce);
}

void CardWaitDialog::centreOnScreen() {
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

int CardWaitDialog::waitForCard() {
  cancelled_ = false;
  retValue_ = 0;
  centreOnScreen();
  timer_->start();
  const int answer = exec();
  timer_->stop();
  retValue_ = (answer == QDialog::Accepted && !cancelled_) ? 0 : -21;
  return retValue_;
}

void CardWaitDialog::pollOnce() {
  if (cancelled_) return;
  if (poll_ && poll_()) accept();
}

void CardWaitDialog::cancelWait() { reject(); }

void CardWaitDialog::reject() {
  cancelled_ = true;
  QDialog::reject();
}
