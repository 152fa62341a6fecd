#pragma once
// The date picker: a month calendar that hands back the chosen day.
#include <QDate>
#include <QDialog>
#include <QVariant>

class QLabel;
class QTableWidget;
class QToolButton;

class DatePicker : public QDialog {
  Q_OBJECT
public:
  explicit DatePicker(QWidget* parent = nullptr);

  // True when the operator chose a day. Without an initial value the month last shown stays;
  // a value that is not a date shows today's month.
  bool pick(const QVariant& initial, QDate& chosen);
  void showMonth(const QDate& date);

  void chooseDay(int row, int column);
  void showPreviousMonth();
  void showNextMonth();

  QLabel* lblDate() const { return lblDate_; }
  QLabel* lblMonth() const { return lblMonth_; }
  QTableWidget* fgCal() const { return fgCal_; }

private:
  QDate shownDate() const;

  QLabel* lblDate_;
  QLabel* lblMonth_;
  QTableWidget* fgCal_;
  QToolButton* imgPrev_;
  QToolButton* imgNext_;
  QString result_;
};

// The one date picker of the program, created on first use.
DatePicker& TheDatePicker();
