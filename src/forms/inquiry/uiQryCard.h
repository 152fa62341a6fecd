#pragma once
// Shows a card's master row and history in a window that has the query fields by name
// (txtCardNo, txtBalAmt, ...) and the history grid; shared by the query and blacklisting windows.
#include <QString>

struct CardQuery;
class FlexGrid;
class QWidget;

// Lays the history grid out: headings centred, hidden and right-aligned columns, no data rows.
void InitCardLogGrid(FlexGrid* grid);

// Runs QryCardData for the card and fills the window's fields and grid; `loaded`, when given,
// receives what was shown. `found` is false when there is no such card: fields and grid keep
// what they showed. A database error is reported under `<window name>_QryCardData` and
// answers false (with `found` false); otherwise the answer is true.
bool QryCardData(QWidget* form, FlexGrid* grid, const QString& cardNo, bool& found, CardQuery* loaded = nullptr);
