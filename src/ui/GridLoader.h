#pragma once
// Loading the rows of a query on the main connection into a grid.
#include <QString>
#include <QVariantList>

class DataGrid;
class QTableWidget;

// Replaces the grid's data rows by one row per record of the query, columns in select order,
// cells as GridCellText shows them. Values, when given, are bound to the "?" of the text.
// Answers the number of rows loaded; statement errors raise to the caller's trap.
int LoadGrid(DataGrid* grid, const QString& sql, const QVariantList& values = {});

// Appends the rows of a query to a grid (one column per query column, in select order) with
// screen updates suspended. A database error is reported with the query text after "pvSQL:".
bool FGLoad_NoRedraw(QTableWidget* grid, const QString& sql);
