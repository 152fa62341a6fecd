#include "ui/GridLoader.h"

#include "core/ErrorReport.h"
#include "ui/DataGrid.h"
#include "db/Connection.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableWidget>

int LoadGrid(DataGrid* grid, const QString& sql, const QVariantList& values) {
  QSqlQuery q = gCnn().query(sql, values);
  grid->setUpdatesEnabled(false);
  grid->clearRows();
  if (grid->cols() < q.record().count()) grid->setCols(q.record().count());
  int loaded = 0;
  while (q.next()) {
    const QSqlRecord rec = q.record();
    QStringList texts;
    for (int c = 0; c < rec.count(); ++c) texts << GridCellText(rec.value(c), rec.field(c));
    grid->addRow(texts);
    ++loaded;
  }
  grid->setUpdatesEnabled(true);
  return loaded;
}

bool FGLoad_NoRedraw(QTableWidget* grid, const QString& sql) {
  grid->setUpdatesEnabled(false);
  try {
    QSqlQuery q = gCnn().query(sql);
    const int columns = q.record().count();
    if (grid->columnCount() < columns) grid->setColumnCount(columns);
    while (q.next()) {
      const int row = grid->rowCount();
      grid->insertRow(row);
      for (int c = 0; c < columns; ++c) {
        grid->setItem(row, c, new QTableWidgetItem(q.value(c).isNull() ? QString() : q.value(c).toString()));
      }
    }
    grid->setUpdatesEnabled(true);
    return true;
  } catch (...) {
    grid->setUpdatesEnabled(true);
    QString number, description;
    CurrentErrorInfo(number, description);
    ReportError(QStringLiteral("FGLoad_NoRedraw"), number, description + QStringLiteral("\r\npvSQL:") + sql);
    return false;
  }
}

