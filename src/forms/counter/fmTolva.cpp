#include "forms/counter/fmTolva.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

fmTolva::fmTolva(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("fmTolva"));
  setWindowTitle(QStringLiteral("QDR卡管理作業"));
  auto* layout = new QVBoxLayout(this);
  auto* head = new QLabel(QStringLiteral("QDR卡管理作業"), this);
  head->setObjectName(QStringLiteral("lblHead"));
  QFont f = head->font();
  f.setPointSize(f.pointSize() + 8);
  f.setBold(true);
  head->setFont(f);
  layout->addWidget(head);
  cmdExit_ = new QPushButton(QStringLiteral("&Z結束"), this);
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  layout->addWidget(cmdExit_, 0, Qt::AlignRight);
  connect(cmdExit_, &QPushButton::clicked, this, &fmTolva::cmdExit_Click);
  resize(480, 200);
}

void fmTolva::cmdExit_Click() { QApplication::quit(); }

void fmTolva::closeEvent(QCloseEvent* event) {
  event->accept();
  cmdExit_Click();
}
