#pragma once
// Shows a card's master row and history in a window that has the query fields by name
// (txtCardNo, txtBalAmt, ...) and the history grid; shared by the query and blacklisting windows.
#include <QString>
#include <QWidget>

struct CardQuery;
class StatusPanel;
class TextTable;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

// The frame of a window that shows one card: two pages, the card-data fields by name and the
// history, then the window's own button beside the exit button (which leaves whatever the
// fields hold), and the status panel. The exit and the title bar's close hide the window, which
// keeps what it shows for the next card.
class CardPagesWindow : public QWidget {
  Q_OBJECT
public:
  void closeWindow();

  QLineEdit* field(const QString& name) const;
  TextTable* fgCardLog() const { return fgCardLog_; }
  QTabWidget* tabPage() const { return tabPage_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  CardPagesWindow(const QString& objectName, const QString& title, QWidget* parent);

  // Adds the pages and the foot to `layout` and answers the window's own button. Page 0 is
  // captioned `dataCaption` and txtRemark labelled `remarkLabel`; only txtCardNo takes the
  // focus from the keyboard.
  QPushButton* addPages(QVBoxLayout* layout, const QString& dataCaption, const QString& remarkLabel,
                        const QString& actionCaption, const QString& actionName);
  // Empty fields in input mode and an empty history; a failure is reported, not thrown.
  void resetWindow();

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  QTabWidget* tabPage_ = nullptr;
  TextTable* fgCardLog_ = nullptr;
  StatusPanel* elaMsg_ = nullptr;
  QLineEdit* txtCardNo_ = nullptr;
  QLineEdit* txtRemark_ = nullptr;

private:
  // The history fits its columns to their contents when its page comes up.
  void fitHistoryOnShow(int page);
};

// Lays the history grid out: headings centred, hidden and right-aligned columns, no data rows.
void LayOutCardLogGrid(TextTable* grid);

// Looks the card up and fills the window's fields and grid; `loaded`, when given,
// receives what was shown. `found` is false when there is no such card: fields and grid keep
// what they showed. A database error is reported under this function's name and
// answers false (with `found` false); otherwise the answer is true.
bool LookUpAndShowCard(QWidget* form, TextTable* grid, const QString& cardNo, bool& found, CardQuery* loaded = nullptr);
// Fills the window's fields and grid with a card already loaded.
void ShowCardQuery(QWidget* form, TextTable* grid, const CardQuery& card);
