#pragma once
// Shows a card's master row and history in a window that has the query fields by name
// (txtCardNo, txtBalAmt, ...) and the history grid; shared by the query and blacklisting windows.
#include <QString>

struct CardQuery;
class TextTable;
class QLineEdit;
class QTabWidget;
class QWidget;

// The two pages of a window that shows one card: the card-data fields by name and the history.
struct CardPages {
  QTabWidget* tabPage;
  TextTable* fgCardLog;
  QLineEdit* txtCardNo;
  QLineEdit* txtRemark;
};

// Builds the pages inside `form`; page 0 is captioned `dataCaption` and txtRemark labelled
// `remarkLabel`. Only txtCardNo takes the focus from the keyboard.
CardPages BuildCardPages(QWidget* form, const QString& dataCaption, const QString& remarkLabel);

// The foot of the card windows: the window's own button, the exit button (which leaves
// whatever the fields hold) and the status panel.
struct CardPagesFoot {
  class QPushButton* action;
  QPushButton* exit;
  class StatusPanel* status;
};
CardPagesFoot AddCardPagesFoot(QWidget* form, class QVBoxLayout* layout, const QString& actionCaption,
                               const QString& actionName);

// Lays the history grid out: headings centred, hidden and right-aligned columns, no data rows.
void InitCardLogGrid(TextTable* grid);

// Runs QryCardData for the card and fills the window's fields and grid; `loaded`, when given,
// receives what was shown. `found` is false when there is no such card: fields and grid keep
// what they showed. A database error is reported under `<window name>_QryCardData` and
// answers false (with `found` false); otherwise the answer is true.
bool QryCardData(QWidget* form, TextTable* grid, const QString& cardNo, bool& found, CardQuery* loaded = nullptr);
// Fills the window's fields and grid with a card already loaded.
void ShowCardQuery(QWidget* form, TextTable* grid, const CardQuery& card);
