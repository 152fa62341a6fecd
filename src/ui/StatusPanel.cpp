#include "ui/StatusPanel.h"

#include "core/Clock.h"
#include "core/OperatorDialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStackedLayout>

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
  auto* stack = new QStackedLayout(this);
  stack->setStackingMode(QStackedLayout::StackAll);
  stack->setContentsMargins(0, 0, 0, 0);
  label_ = new QLabel(this);
  label_->setObjectName(QStringLiteral("elaCaption"));
  label_->setContentsMargins(6, 0, 6, 0);
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  flood_ = new QProgressBar(this);
  flood_->setRange(0, 100);
  flood_->setValue(0);
  flood_->setTextVisible(false);
  stack->addWidget(label_);
  stack->addWidget(flood_);
  label_->raise();
  setFixedHeight(26);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString StatusPanel::caption() const { return label_->text(); }
void StatusPanel::setCaption(const QString& text) { label_->setText(text); }
int StatusPanel::floodPercent() const { return flood_->value(); }
void StatusPanel::setFloodPercent(int percent) { flood_->setValue(percent); }

void ShowStatusMessage(StatusPanel* panel, const QString& message, int beeps) {
  if (!panel) return;
  panel->setCaption(message);
  panel->setFloodPercent(100);
  panel->repaint();
  for (int i = 0; i < beeps; ++i) Dialogs().beep();
  Delay(0.2);
  panel->setFloodPercent(0);
}
