#include "ui/CardMessageFoot.h"

#include "ui/CardMessagePanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/MessageFileRow.h"
#include "ui/StatusPanel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CardMessageFoot AddCardMessageFoot(QWidget* window, QVBoxLayout* layout, StatusPanel* status, bool loadOnLeave,
                                   const QString& okCaption, const QString& okName) {
  CardMessageFoot foot{};
  foot.panel = new CardMessagePanel(status, 0, window);
  layout->addWidget(foot.panel);
  foot.fileRow = new MessageFileRow(window->objectName(), foot.panel, status, loadOnLeave, window);
  layout->addWidget(foot.fileRow);
  layout->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  foot.ok = new QPushButton(okCaption, window);
  foot.ok->setObjectName(okName);
  foot.exit = new QPushButton(QStringLiteral("&Z結束"), window);
  foot.exit->setObjectName(QStringLiteral("cmdExit"));
  SkipFieldChecks(foot.exit);
  buttons->addWidget(foot.ok);
  buttons->addWidget(foot.exit);
  layout->addLayout(buttons);
  layout->addWidget(status);
  return foot;
}
