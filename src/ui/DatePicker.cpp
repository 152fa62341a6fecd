#include "ui/DatePicker.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "ui/WindowHelpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

DatePicker::DatePicker(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmFgDate"));
  setWindowTitle(QStringLiteral("選取日期"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  imgPrev_ = new QToolButton(this);
  imgPrev_->setObjectName(QStringLiteral("imgPrev"));
  imgPrev_->setArrowType(Qt::LeftArrow);
  imgNext_ = new QToolButton(this);
  imgNext_->setObjectName(QStringLiteral("imgNext"));
  imgNext_->setArrowType(Qt::RightArrow);
  lblMonth_ = new QLabel(this);
  lblMonth_->setObjectName(QStringLiteral("lblMonth"));
  lblMonth_->setAlignment(Qt::AlignCenter);
  lblDate_ = new QLabel(this);
  lblDate_->setObjectName(QStringLiteral("lblDate"));
  head->addWidget(imgPrev_);
  head->addWidget(lblMonth_, 1);
  head->addWidget(imgNext_);
  layout->addLayout(head);
  layout->addWidget(lblDate_, 0, Qt::AlignCenter);
  fgCal_ = new QTableWidget(0, 7, this);
  fgCal_->setObjectName(QStringLiteral("fgCal"));
  fgCal_->setHorizontalHeaderLabels({QStringLiteral("週日"), QStringLiteral("週一"), QStringLiteral("週二"),
                                     QStringLiteral("週三"), QStringLiteral("週四"), QStringLiteral("週五"),
                                     QStringLiteral("週六")});
  fgCal_->verticalHeader()->hide();
  fgCal_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fgCal_->setSelectionMode(QAbstractItemView::SingleSelection);
  fgCal_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  fgCal_->setMinimumSize(360, 200);
  layout->addWidget(fgCal_);
  connect(fgCal_, &QTableWidget::cellClicked, this, &DatePicker::chooseDay);
  connect(imgPrev_, &QToolButton::clicked, this, &DatePicker::showPreviousMonth);
  connect(imgNext_, &QToolButton::clicked, this, &DatePicker::showNextMonth);
  showMonth(Today());
}

QDate DatePicker::shownDate() const {
  const auto dt = ToDateTime(lblDate_->text());
  return dt ? dt->date() : Today();
}

void DatePicker::showMonth(const QDate& date) {
  try {
    lblDate_->setText(date.toString(QStringLiteral("yyyy/MM/dd")));
    lblMonth_->setText(QString::number(date.year()) + QStringLiteral("年 ") + QString::number(date.month()) +
                       QStringLiteral("月"));
    fgCal_->clearContents();
    const QDate first(date.year(), date.month(), 1);
    const int lead = first.dayOfWeek() % 7;  // Sunday is the first column
    fgCal_->setRowCount((lead + date.daysInMonth() + 6) / 7);
    for (int day = 1; day <= date.daysInMonth(); ++day) {
      const int cell = lead + day - 1;
      auto* item = new QTableWidgetItem(QString::number(day));
      item->setTextAlignment(Qt::AlignCenter);
      fgCal_->setItem(cell / 7, cell % 7, item);
    }
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

bool DatePicker::pick(const QVariant& initial, QDate& chosen) {
  try {
    result_.clear();
    if (initial.isValid()) {
      const auto dt = ToDateTime(initial);
      showMonth(dt ? dt->date() : Today());
    }
    CenterForm(this);
    exec();
    if (result_.isEmpty()) return false;
    chosen = ToDateTime(result_)->date();
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

void DatePicker::chooseDay(int row, int column) {
  try {
    const QTableWidgetItem* item = fgCal_->item(row, column);
    if (!item || item->text().isEmpty()) return;
    const QDate shown = shownDate();
    lblDate_->setText(shown.toString(QStringLiteral("yyyy/MM")) + QStringLiteral("/") +
                      QStringLiteral("%1").arg(item->text().toInt(), 2, 10, QLatin1Char('0')));
    result_ = lblDate_->text();
    hide();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void DatePicker::showPreviousMonth() {
  try {
    showMonth(shownDate().addMonths(-1));
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void DatePicker::showNextMonth() {
  try {
    showMonth(shownDate().addMonths(1));
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

DatePicker& TheDatePicker() {
  static DatePicker* picker = new DatePicker;
  return *picker;
}
