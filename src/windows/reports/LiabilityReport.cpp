#include "windows/reports/LiabilityReport.h"

#include "ui/ErrorReports.h"
#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/WindowHelpers.h"
#include "ui/DataGrid.h"
#include "ui/PrintPreviewWindow.h"
#include "windows/reports/ReportCharts.h"
#include "windows/reports/ReportWindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("未兌付餘額表");
const QString kHeadings = QStringLiteral("分類|項目|張數|餘額|點數");

// `labelAngle` turns the month labels (-90: upright, for a chart too narrow to show a year of
// months side by side).
QChart* monthChart(const QList<QPair<QString, double>>& bars, int labelAngle) {
  auto* set = new QBarSet(QStringLiteral("餘額"));
  QStringList months;
  for (const auto& [month, balance] : bars) {
    months << month;
    *set << balance;
  }
  auto* series = new QBarSeries;
  series->append(set);
  auto* chart = new QChart;
  chart->addSeries(series);
  auto* axisX = new QBarCategoryAxis;
  axisX->append(months);
  axisX->setLabelsAngle(labelAngle);
  chart->addAxis(axisX, Qt::AlignBottom);
  series->attachAxis(axisX);
  auto* axisY = new QValueAxis;
  chart->addAxis(axisY, Qt::AlignLeft);
  series->attachAxis(axisY);
  chart->setTitle(QStringLiteral("各有效月份餘額"));
  chart->legend()->hide();
  return chart;
}

// The chart for paper: a year of month labels fits side by side; more stand upright.
QImage chartImage(const QList<QPair<QString, double>>& bars) { return ChartImage(monthChart(bars, bars.size() > 12 ? -90 : 0)); }

QStringList cells(const QString& group, const QString& item, const LiabilityLine& l) {
  return {group, item, QString::number(l.cards), l.balance.toString(), l.points.toString()};
}

}  // namespace

LiabilityReport::LiabilityReport(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmRptLiability"));
  setWindowTitle(kTitle);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  txtDate_ = new QLineEdit(this);
  txtDate_->setObjectName(QStringLiteral("txtDate"));
  txtDate_->setToolTip(QStringLiteral("按兩下或F8選擇日期"));
  txtDate_->setMaximumWidth(140);
  top->addWidget(new QLabel(QStringLiteral("基準日期"), this));
  top->addWidget(txtDate_);
  top->addStretch(1);
  layout->addLayout(top);
  auto* body = new QHBoxLayout;
  fgList_ = new DataGrid(this);
  fgList_->setFillWidth(true);
  fgList_->setObjectName(QStringLiteral("fgList"));
  fgList_->setHeadings(kHeadings);
  for (int c = 2; c < 5; ++c) fgList_->setColRightAligned(c);
  chart_ = new QChartView(new QChart, this);
  chart_->setObjectName(QStringLiteral("chtMonth"));
  chart_->setMinimumWidth(360);
  body->addWidget(fgList_, 1);
  body->addWidget(chart_, 1);
  layout->addLayout(body, 1);
  layout->addLayout(ReportButtonRow(this, {[this] { listRows(); }, [this] { printList(); },
                                            [this] { saveAsCsv(); }, [this] { closeWindow(); }}));
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  layout->addWidget(elaMsg_);
  InstallDateField(txtDate_, elaMsg_);
  OpenFieldsForInput(this);
  txtDate_->setText(DateFieldText(Today()));
  resize(980, 560);
}

bool LiabilityReport::queryRows() {
  try {
    QDate day = Today();
    if (!txtDate_->text().trimmed().isEmpty()) {
      if (!CheckDateField(txtDate_, elaMsg_)) return false;
      day = ToDateTime(DateForStorage(DateWithSeparators(txtDate_->text())))->date();
    }
    const Fetched<Liability> found = LiabilityOn(OperationContext::Current(), day);
    if (!found) {
      ReportError(ErrorLabel(), found.failure);
      return false;
    }
    const Liability& l = *found;
    fgList_->clearRows();
    for (auto it = l.byStore.cbegin(); it != l.byStore.cend(); ++it) fgList_->addRow(cells(QStringLiteral("發卡部門"), it.key(), *it));
    for (auto it = l.byMonth.cbegin(); it != l.byMonth.cend(); ++it) fgList_->addRow(cells(QStringLiteral("有效月份"), it.key(), *it));
    for (int b = 0; b < kLiabilityBuckets.size(); ++b) fgList_->addRow(cells(QStringLiteral("到期"), kLiabilityBuckets[b], l.buckets[b]));
    fgList_->addRow(cells(QStringLiteral("合計"), QString(), l.total));
    fgList_->fitColumnWidths();

    QList<QPair<QString, double>> bars;
    // Display only: the figures themselves stay exact in the table.
    for (auto it = l.byMonth.cbegin(); it != l.byMonth.cend(); ++it) {
      bars.append({it.key(), static_cast<double>(it->balance.units()) / Money::kScale});
    }
    QChart* chart = monthChart(bars, -90);
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
    return true;
  } catch (...) {
    ReportError(ErrorLabel());
    return false;
  }
}

QList<QPair<QString, double>> LiabilityReport::bars() const {
  QList<QPair<QString, double>> out;
  const auto series = chart_->chart()->series();
  if (series.isEmpty()) return out;
  auto* bar = static_cast<QBarSeries*>(series.first());
  const auto axes = chart_->chart()->axes(Qt::Horizontal);
  if (bar->barSets().isEmpty() || axes.isEmpty()) return out;
  const QStringList months = static_cast<QBarCategoryAxis*>(axes.first())->categories();
  for (int i = 0; i < months.size(); ++i) out.append({months[i], bar->barSets().first()->at(i)});
  return out;
}

void LiabilityReport::printList() {
  try {
    if (!queryRows()) return;
    PrintPreviewWindow preview(this);
    preview.startDocument(kTitle);
    // Every card the day holds, of every store: the report has no store condition.
    preview.addText(QStringLiteral("基準日期：") + txtDate_->text().trimmed());
    preview.addText(QStringLiteral("發卡部門：全部"));
    preview.addTable(QStringLiteral("<1200|<1200|>900|>1400|>1200"), kHeadings, GridPrintText(fgList_, {0, 1, 2, 3, 4}));
    preview.addText(QString());
    preview.addImage(chartImage(bars()));
    preview.endDocument();
    preview.showDocument();
  } catch (...) {
    ReportError(ErrorLabel());
  }
}

void LiabilityReport::saveAsCsv() { SaveGridAsCsv(this, fgList_, kTitle, elaMsg_); }

void LiabilityReport::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
