#include "forms/inquiry/uiQryCard.h"

#include "app/ErrorReport.h"
#include "app/uiGrid.h"
#include "forms/inquiry/basQryCard.h"

#include <QLineEdit>

void InitCardLogGrid(FlexGrid* grid) {
  grid->setHeadings(kCardLogHeadings);
  for (int c : kCardLogHiddenCols) grid->setColHidden(c, true);
  for (int c : kCardLogRightCols) grid->setColRightAligned(c);
  grid->clearRows();
}

bool QryCardData(QWidget* form, FlexGrid* grid, const QString& cardNo, bool& found, CardQuery* loaded) {
  found = false;
  try {
    CardQuery card;
    if (!QryCardData(cardNo, card)) return true;
    for (auto it = card.fields.cbegin(); it != card.fields.cend(); ++it) {
      if (auto* field = form->findChild<QLineEdit*>(it.key())) field->setText(it.value());
    }
    grid->setUpdatesEnabled(false);
    grid->clearRows();
    grid->setRowCount(static_cast<int>(card.history.size()));
    for (int r = 0; r < card.history.size(); ++r) {
      const QStringList& row = card.history[r];
      for (int c = 0; c < row.size(); ++c) grid->setTextMatrix(r + 1, c, row[c]);
    }
    grid->setUpdatesEnabled(true);
    found = true;
    if (loaded) *loaded = std::move(card);
    return true;
  } catch (...) {
    grid->setUpdatesEnabled(true);
    ReportError(form->objectName() + QStringLiteral("_QryCardData"));
    return false;
  }
}
