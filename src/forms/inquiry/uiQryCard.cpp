#include "forms/inquiry/uiQryCard.h"

#include "app/ErrorReport.h"
#include "app/uiGrid.h"
#include "forms/inquiry/basQryCard.h"

#include <QLineEdit>
#include <QSignalBlocker>

void InitCardLogGrid(FlexGrid* grid) {
  grid->setHeadings(kCardLogHeadings);
  for (int c : kCardLogHiddenCols) grid->setColHidden(c, true);
  for (int c : kCardLogRightCols) grid->setColRightAligned(c);
  grid->clearRows();
}

namespace {

// Fills the data rows in one go: a history of thousands of rows would otherwise signal every
// cell to the view one by one.
void fillRows(FlexGrid* grid, const QList<QStringList>& rows) {
  grid->setUpdatesEnabled(false);
  grid->clearRows();
  grid->setRowCount(static_cast<int>(rows.size()));
  QAbstractItemModel* model = grid->model();
  QList<bool> right(grid->cols());
  for (int c = 0; c < grid->cols(); ++c) right[c] = grid->colRightAligned(c);
  {
    const QSignalBlocker quiet(model);
    for (int r = 0; r < rows.size(); ++r) {
      for (int c = 0; c < rows[r].size() && c < grid->cols(); ++c) {
        if (rows[r][c].isEmpty()) continue;  // an empty cell reads as empty without an item
        auto* item = new QTableWidgetItem(rows[r][c]);
        if (right[c]) item->setTextAlignment(Qt::AlignVCenter | Qt::AlignRight);
        grid->setItem(r, c, item);
      }
    }
  }
  if (!rows.isEmpty()) emit model->dataChanged(model->index(0, 0), model->index(grid->rowCount() - 1, grid->cols() - 1));
  grid->setUpdatesEnabled(true);
}

}  // namespace

bool QryCardData(QWidget* form, FlexGrid* grid, const QString& cardNo, bool& found, CardQuery* loaded) {
  found = false;
  try {
    CardQuery card;
    if (!QryCardData(cardNo, card)) return true;
    for (auto it = card.fields.cbegin(); it != card.fields.cend(); ++it) {
      if (auto* field = form->findChild<QLineEdit*>(it.key())) field->setText(it.value());
    }
    fillRows(grid, card.history);
    found = true;
    if (loaded) *loaded = std::move(card);
    return true;
  } catch (...) {
    grid->setUpdatesEnabled(true);
    ReportError(form->objectName() + QStringLiteral("_QryCardData"));
    return false;
  }
}
