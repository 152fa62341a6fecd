#include "windows/reports/AccountingReportWindow.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "operations/Reports.h"
#include "operations/StoreSettings.h"
#include "ui/CodePicker.h"
#include "ui/DataGrid.h"
#include "ui/ErrorReports.h"
#include "ui/FieldBehaviour.h"
#include "ui/PrintPreviewWindow.h"
#include "ui/StatusPanel.h"
#include "ui/WindowHelpers.h"
#include "windows/CodePickerRows.h"
#include "windows/reports/ReportCharts.h"
#include "windows/reports/ReportWindow.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QShowEvent>
#include <QTabWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("帳務報表");
const QStringList kPageTitles = {QStringLiteral("餘額變動表"), QStringLiteral("閒置卡片"), QStringLiteral("到期餘額"),
                                 QStringLiteral("兌用比率")};
constexpr int kDormantListed = 100;

DataGrid* newGrid(QWidget* page, const char* name, const QString& headings, int firstNumber) {
  auto* grid = new DataGrid(page);
  grid->setObjectName(QString::fromLatin1(name));
  grid->setFillWidth(true);
  grid->setHeadings(headings);
  for (int c = firstNumber; c < grid->cols(); ++c) grid->setColRightAligned(c);
  return grid;
}


QDate fieldDate(const QLineEdit* field) {
  const auto dt = ToDateTime(DateForStorage(DateWithSeparators(field->text())));
  return dt ? dt->date() : QDate();
}

// The share of each window by issue month, as lines over the months.
QChart* redemptionChart(const QList<RedemptionMonth>& months) {
  auto* chart = new QChart;
  QStringList labels;
  for (const RedemptionMonth& m : months) labels << m.month;
  auto* axisX = new QBarCategoryAxis;
  axisX->append(labels);
  axisX->setLabelsAngle(labels.size() > 12 ? -90 : 0);
  auto* axisY = new QValueAxis;
  axisY->setRange(0, 100);
  axisY->setLabelFormat(QStringLiteral("%d%%"));
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  for (size_t k = 0; k < kRedemptionMonths.size(); ++k) {
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("%1個月").arg(kRedemptionMonths[k]));
    for (int i = 0; i < months.size(); ++i) {
      if (months[i].share[k]) line->append(i, *months[i].share[k] * 100.0);
    }
    chart->addSeries(line);
    line->attachAxis(axisX);
    line->attachAxis(axisY);
  }
  chart->setTitle(QStringLiteral("各發卡月份的兌用比率"));
  return chart;
}

}  // namespace

AccountingReportWindow::AccountingReportWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fmRptAccounting"));
  setWindowTitle(kCaption);
  elaMsg_ = new StatusPanel(this);
  elaMsg_->setObjectName(QStringLiteral("elaMsg"));
  auto* layout = new QVBoxLayout(this);
  tabReports_ = new QTabWidget(this);
  tabReports_->setObjectName(QStringLiteral("tabReports"));
  tabReports_->addTab(buildRollForward(), kPageTitles[RollForwardPage]);
  tabReports_->addTab(buildDormancy(), kPageTitles[DormancyPage]);
  tabReports_->addTab(buildExpiry(), kPageTitles[ExpiryPage]);
  tabReports_->addTab(buildRedemption(), kPageTitles[RedemptionPage]);
  layout->addWidget(tabReports_, 1);
  layout->addLayout(ReportButtonRow(this, {[this] { queryPage(); }, [this] { printPage(); },
                                            [this] { savePageAsCsv(); }, [this] { closeWindow(); }}));
  layout->addWidget(elaMsg_);
  InstallDateField(txtDateB_, elaMsg_);
  InstallDateField(txtDateE_, elaMsg_);
  InstallCodeField(txtStoreID_, PickerRows(StoresToPick), txtStoreName_, QStringLiteral("店代號"), QStringLiteral("店名"));
  OpenFieldsForInput(this);
  SetBackground(txtStoreName_, kInputClosed);
  const QDate today = Today();
  txtDateB_->setText(DateFieldText(QDate(today.year(), today.month(), 1)));
  txtDateE_->setText(DateFieldText(today));
  resize(980, 700);
}

QWidget* AccountingReportWindow::buildRollForward() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  const PeriodFields f = AddPeriodFields(page, grid, QStringLiteral("txtDate"), QStringLiteral("期間"), QStringLiteral("發卡部門"));
  txtDateB_ = f.first;
  txtDateE_ = f.last;
  txtStoreID_ = f.storeId;
  txtStoreName_ = f.storeName;
  fgRollForward_ = newGrid(page, "fgRollForward", kRollForwardHeadings, 1);
  grid->addWidget(fgRollForward_, 2, 0, 1, 5);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(4, 1);
  return page;
}

QWidget* AccountingReportWindow::buildDormancy() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  fgDormancy_ = newGrid(page, "fgDormancy", kAgingHeadings, 1);
  fgDormancy_->setMaximumHeight(180);
  fgDormant_ = newGrid(page, "fgDormant", kDormantHeadings, 4);
  layout->addWidget(new QLabel(QStringLiteral("有餘額的卡片，依最後一次消費、加值或扣抵至今的月數"), page));
  layout->addWidget(fgDormancy_);
  layout->addWidget(new QLabel(QStringLiteral("最久未使用的 %1 張").arg(kDormantListed), page));
  layout->addWidget(fgDormant_, 1);
  return page;
}

QWidget* AccountingReportWindow::buildExpiry() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  fgExpiry_ = newGrid(page, "fgExpiry", kAgingHeadings, 1);
  layout->addWidget(new QLabel(QStringLiteral("有餘額的卡片，依有效日期：即將到期與已過期 (依到期月份)"), page));
  layout->addWidget(fgExpiry_, 1);
  return page;
}

QWidget* AccountingReportWindow::buildRedemption() {
  auto* page = new QWidget(this);
  auto* layout = new QHBoxLayout(page);
  fgRedemption_ = newGrid(page, "fgRedemption", kRedemptionHeadings, 1);
  chtRedemption_ = new QChartView(new QChart, page);
  chtRedemption_->setObjectName(QStringLiteral("chtRedemption"));
  chtRedemption_->setMinimumWidth(380);
  layout->addWidget(fgRedemption_, 1);
  layout->addWidget(chtRedemption_, 1);
  return page;
}

QLineEdit* AccountingReportWindow::field(const QString& name) const { return findChild<QLineEdit*>(name); }
DataGrid* AccountingReportWindow::grid(const QString& name) const { return findChild<DataGrid*>(name); }

bool AccountingReportWindow::queryPage() {
  elaMsg_->setCaption(QString());
  switch (tabReports_->currentIndex()) {
    case RollForwardPage: return queryRollForward();
    case DormancyPage: return queryDormancy();
    case ExpiryPage: return queryExpiry();
    default: return queryRedemption();
  }
}

bool AccountingReportWindow::queryRollForward() {
  for (QLineEdit* date : {txtDateB_, txtDateE_}) {
    if (!CheckDateField(date, elaMsg_)) return false;
  }
  const QDate from = fieldDate(txtDateB_), to = fieldDate(txtDateE_);
  if (!from.isValid() || !to.isValid()) {
    ShowStatusMessage(elaMsg_, QStringLiteral("請輸入期間"));
    return false;
  }
  if (from > to) {
    ShowStatusMessage(elaMsg_, QStringLiteral("起始日期不可大於截止日期"));
    return false;
  }
  const QString store = txtStoreID_->text().trimmed();
  if (!store.isEmpty()) {
    const Fetched<std::optional<QString>> name = FindStore(OperationContext::Current(), store);
    if (!name) {
      ReportError(ErrorLabel(), name.failure);
      return false;
    }
    if (!*name) {
      txtStoreName_->clear();
      ShowStatusMessage(elaMsg_, QStringLiteral("無此店代號"));
      return false;
    }
    txtStoreName_->setText(**name);
  }
  const Fetched<RollForward> r = RollForwardOf(OperationContext::Current(), from, to, store);
  if (!r) {
    ReportError(ErrorLabel(), r.failure);
    return false;
  }
  fgRollForward_->clearRows();
  for (const RollLine& line : r->lines()) fgRollForward_->addRow(RollCells(line));
  fgRollForward_->fitColumnWidths();
  if (r->ties()) ShowStatusMessage(elaMsg_, QStringLiteral("期初餘額、本期異動與期末餘額相符"), 0);
  else ShowStatusMessage(elaMsg_, r->problems().join(QStringLiteral("；")));
  return true;
}

bool AccountingReportWindow::queryDormancy() {
  const Fetched<Dormancy> d = DormancyOn(OperationContext::Current(), Today(), kDormantListed);
  if (!d) {
    ReportError(ErrorLabel(), d.failure);
    return false;
  }
  fgDormancy_->clearRows();
  for (const AgingBucket& b : d->buckets) fgDormancy_->addRow(AgingCells(b));
  fgDormant_->clearRows();
  for (const DormantCard& c : d->oldest) {
    fgDormant_->addRow({c.cardNo, c.store, c.storeName, DateForDisplay(c.lastActivity), QString::number(c.months),
                        c.amt.toString(), c.points.toString()});
  }
  fgDormancy_->fitColumnWidths();
  fgDormant_->fitColumnWidths();
  return true;
}

bool AccountingReportWindow::queryExpiry() {
  const Fetched<Expiry> e = ExpiryOn(OperationContext::Current(), Today());
  if (!e) {
    ReportError(ErrorLabel(), e.failure);
    return false;
  }
  fgExpiry_->clearRows();
  for (const AgingBucket& b : e->coming) fgExpiry_->addRow(AgingCells(b));
  for (const AgingBucket& b : e->expired) fgExpiry_->addRow(AgingCells(b));
  fgExpiry_->fitColumnWidths();
  return true;
}

bool AccountingReportWindow::queryRedemption() {
  const Fetched<QList<RedemptionMonth>> months = RedemptionOn(OperationContext::Current(), Today());
  if (!months) {
    ReportError(ErrorLabel(), months.failure);
    return false;
  }
  fgRedemption_->clearRows();
  for (const RedemptionMonth& m : *months) {
    QStringList row{m.month, QString::number(m.cards), m.loaded.toString()};
    for (const auto& share : m.share) row << ShareText(share);
    fgRedemption_->addRow(row);
  }
  fgRedemption_->fitColumnWidths();
  QChart* old = chtRedemption_->chart();
  chtRedemption_->setChart(redemptionChart(*months));
  delete old;
  return true;
}

QList<QPair<QString, QList<QPointF>>> AccountingReportWindow::chartLines() const {
  QList<QPair<QString, QList<QPointF>>> out;
  for (QAbstractSeries* s : chtRedemption_->chart()->series()) {
    auto* line = static_cast<QLineSeries*>(s);
    out.append({line->name(), line->points()});
  }
  return out;
}

void AccountingReportWindow::printPage() {
  if (!queryPage()) return;
  PrintPreviewWindow preview(this);
  preview.startDocument(kCaption + QStringLiteral("－") + kPageTitles[tabReports_->currentIndex()]);
  printBody(preview);
  preview.endDocument();
  preview.showDocument();
}

void AccountingReportWindow::printBody(PrintPreviewWindow& preview) {
  const QString numbers = QStringLiteral("<2400|>900|>1400|>1200");
  switch (tabReports_->currentIndex()) {
    case RollForwardPage: {
      const QString store = txtStoreID_->text().trimmed();
      preview.addText(QStringLiteral("期間：") + RangeText(txtDateB_->text().trimmed(), txtDateE_->text().trimmed()));
      preview.addText(QStringLiteral("發卡部門：") + (store.isEmpty() ? QStringLiteral("全部") : store + u' ' + txtStoreName_->text()));
      preview.addTable(numbers, kRollForwardHeadings, GridPrintText(fgRollForward_, {0, 1, 2, 3}));
      preview.addText(QString());
      preview.addText(elaMsg_->caption());
      return;
    }
    case DormancyPage:
      preview.addText(QStringLiteral("基準日期：") + DateForDisplay(Today()));
      preview.addTable(numbers, kAgingHeadings, GridPrintText(fgDormancy_, {0, 1, 2, 3}));
      preview.addText(QString());
      preview.addTable(QStringLiteral("<1100|<700|<1100|<1100|>700|>1000|>800"), kDormantHeadings,
                       GridPrintText(fgDormant_, {0, 1, 2, 3, 4, 5, 6}));
      return;
    case ExpiryPage:
      preview.addText(QStringLiteral("基準日期：") + DateForDisplay(Today()));
      preview.addTable(numbers, kAgingHeadings, GridPrintText(fgExpiry_, {0, 1, 2, 3}));
      return;
    default: {
      preview.addText(QStringLiteral("基準日期：") + DateForDisplay(Today()));
      preview.addTable(QStringLiteral("<1000|>700|>1300|>800|>800|>800|>800"), kRedemptionHeadings,
                       GridPrintText(fgRedemption_, {0, 1, 2, 3, 4, 5, 6}));
      preview.addText(QString());
      const Fetched<QList<RedemptionMonth>> months = RedemptionOn(OperationContext::Current(), Today());
      if (months) preview.addImage(ChartImage(redemptionChart(*months)));
      return;
    }
  }
}

void AccountingReportWindow::savePageAsCsv() {
  const int page = tabReports_->currentIndex();
  const DataGrid* grids[] = {fgRollForward_, fgDormant_, fgExpiry_, fgRedemption_};
  SaveGridAsCsv(this, grids[page], kPageTitles[page], elaMsg_);
}

void AccountingReportWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CenterForm(this);
  QWidget::showEvent(event);
}
