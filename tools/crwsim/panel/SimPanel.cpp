#include "SimPanel.h"

#include "CardPicture.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr double kDeckScale = 0.5;
constexpr double kSlotScale = 0.85;
constexpr int kRefreshMs = 400;

struct FaultChoice {
  const char* value;
  const char* caption;
};
const FaultChoice kFaults[] = {
    {"", "正常 (無故障)"},
    {kFaultJammed, "卡片已存在 (31)"},
    {kFaultMisinserted, "卡片沒插好 (33)"},
    {kFaultIllegal, "非法卡 (35)"},
    {kFaultReadFails, "磁條讀取失敗"},
    {kFaultWriteFails, "磁條寫入失敗"},
    {kFaultEraseFails, "卡面無法清除"},
    {kFaultPrintFails, "卡面無法列印"},
    {kFaultFailsAfterWrite, "寫入一次後損壞"},
    {kFaultWornOut, "已損壞 (無法寫入及列印)"},
};

QString cardName(const QString& file) { return QFileInfo(file).completeBaseName(); }

}  // namespace

SimPanel::SimPanel(QString root, const QString& port, QWidget* parent) : QWidget(parent), root_(std::move(root)) {
  setWindowTitle(QStringLiteral("QDR卡 讀卡機模擬器"));

  cboPort_ = new QComboBox(this);
  cboPort_->setEditable(true);
  cboPort_->setMinimumWidth(120);
  // The folder's path may be long: it wraps rather than widen the panel.
  lblFolder_ = new QLabel(this);
  lblFolder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblFolder_->setWordWrap(true);
  lblFolder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("連接埠:"), this));
  top->addWidget(cboPort_, 1);

  // One column (slot, hands, deck): the panel stands in a narrow strip beside the program.
  lblSlot_ = new QLabel(this);
  lblSlot_->setAlignment(Qt::AlignCenter);
  lblSlot_->setMinimumSize(CardPictureSize(kSlotScale));
  lblSlotName_ = new QLabel(this);
  lblSlotName_->setAlignment(Qt::AlignCenter);
  auto* slotBox = new QGroupBox(QStringLiteral("讀卡機插槽"), this);
  auto* slotLayout = new QVBoxLayout(slotBox);
  slotLayout->addWidget(lblSlot_, 1);
  slotLayout->addWidget(lblSlotName_);

  auto* cmdInsert = new QPushButton(QStringLiteral("插入卡片 ↑"), this);
  cmdInsert->setObjectName(QStringLiteral("cmdInsert"));
  auto* cmdTakeOut = new QPushButton(QStringLiteral("↓ 取出卡片"), this);
  cmdTakeOut->setObjectName(QStringLiteral("cmdTakeOut"));
  auto* cmdNewCard = new QPushButton(QStringLiteral("新增空白卡"), this);
  cmdNewCard->setObjectName(QStringLiteral("cmdNewCard"));
  cboFault_ = new QComboBox(this);
  for (const FaultChoice& f : kFaults) cboFault_->addItem(QString::fromUtf8(f.caption), QString::fromLatin1(f.value));
  auto* cmdSpoil = new QPushButton(QStringLiteral("設定故障"), this);
  cmdSpoil->setObjectName(QStringLiteral("cmdSpoil"));
  cmdSpoil->setToolTip(QStringLiteral("套用到卡片匣中選取的卡片；沒有選取時套用到插槽中的卡片"));
  auto* buttons = new QGridLayout;
  buttons->addWidget(cmdInsert, 0, 0);
  buttons->addWidget(cmdTakeOut, 0, 1);
  buttons->addWidget(cmdNewCard, 0, 2);
  buttons->addWidget(cboFault_, 1, 0, 1, 2);
  buttons->addWidget(cmdSpoil, 1, 2);

  lstDeck_ = new QListWidget(this);
  lstDeck_->setViewMode(QListView::ListMode);
  lstDeck_->setIconSize(CardPictureSize(kDeckScale));
  lstDeck_->setMinimumHeight(160);
  auto* deckBox = new QGroupBox(QStringLiteral("卡片匣"), this);
  auto* deckLayout = new QVBoxLayout(deckBox);
  deckLayout->addWidget(lstDeck_);

  lblStatus_ = new QLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(lblFolder_);
  layout->addWidget(slotBox);
  layout->addLayout(buttons);
  layout->addWidget(deckBox, 1);
  layout->addWidget(lblStatus_);

  connect(cmdInsert, &QPushButton::clicked, this, &SimPanel::insertCard);
  connect(cmdTakeOut, &QPushButton::clicked, this, &SimPanel::takeOutCard);
  connect(cmdNewCard, &QPushButton::clicked, this, &SimPanel::addBlankCard);
  connect(cmdSpoil, &QPushButton::clicked, this, &SimPanel::spoilCard);
  connect(lstDeck_, &QListWidget::itemDoubleClicked, this, &SimPanel::insertCard);
  connect(cboPort_, &QComboBox::activated, this, &SimPanel::portChanged);
  connect(cboPort_->lineEdit(), &QLineEdit::editingFinished, this, &SimPanel::portChanged);

  fillPorts(port);
  reader().ensure();
  refresh(true);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { refresh(); });
  timer_->start(kRefreshMs);
}

SimReader SimPanel::reader() const { return SimReader(SimReader::folderFor(root_, cboPort_->currentText().trimmed())); }

void SimPanel::fillPorts(const QString& current) {
  QStringList ports = QDir(root_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  if (!current.isEmpty() && !ports.contains(current)) ports.prepend(current);
  cboPort_->clear();
  cboPort_->addItems(ports);
  cboPort_->setCurrentText(current);
}

void SimPanel::portChanged() {
  if (!reader().ensure()) showStatus(QStringLiteral("無法建立讀卡機資料夾: ") + reader().folder());
  refresh(true);
}

QString SimPanel::folderSignature() const {
  const SimReader r = reader();
  QString signature = r.folder();
  for (const QString& file : QStringList{r.slotFile()} + r.deckFiles()) {
    if (file.isEmpty()) continue;
    const QFileInfo info(file);
    signature += QLatin1Char('|') + file + QLatin1Char('@') + QString::number(info.lastModified().toMSecsSinceEpoch()) +
                 QLatin1Char('/') + QString::number(info.size());
  }
  return signature;
}

void SimPanel::refresh(bool force) {
  const QString signature = folderSignature();
  if (!force && signature == signature_) return;
  signature_ = signature;
  const SimReader r = reader();
  lblFolder_->setText(r.folder());

  const QString selected = selectedDeckFile();
  lstDeck_->clear();
  for (const QString& file : r.deckFiles()) {
    const SimCard card = SimCard::load(file).value_or(SimCard{});
    auto* item = new QListWidgetItem(QIcon(CardPicture(card, cardName(file), kDeckScale)), cardName(file), lstDeck_);
    item->setData(Qt::UserRole, file);
    if (file == selected) item->setSelected(true);
  }

  const QString slot = r.slotFile();
  if (slot.isEmpty()) {
    lblSlot_->setPixmap({});
    lblSlot_->setText(QStringLiteral("(插槽是空的)"));
    lblSlotName_->clear();
  } else {
    const SimCard card = SimCard::load(slot).value_or(SimCard{});
    lblSlot_->setPixmap(CardPicture(card, cardName(slot), kSlotScale));
    lblSlotName_->setText(cardName(slot));
  }
}

QString SimPanel::selectedDeckFile() const {
  const QList<QListWidgetItem*> items = lstDeck_->selectedItems();
  return items.isEmpty() ? QString() : items.first()->data(Qt::UserRole).toString();
}

void SimPanel::showStatus(const QString& text) { lblStatus_->setText(text); }

void SimPanel::insertCard() {
  const QString file = selectedDeckFile();
  if (file.isEmpty()) {
    showStatus(QStringLiteral("請先在卡片匣中選取一張卡片"));
    return;
  }
  showStatus(reader().insert(file) ? QStringLiteral("已插入 ") + cardName(file) : QStringLiteral("無法插入卡片"));
  refresh(true);
}

void SimPanel::takeOutCard() {
  showStatus(!reader().takeOut().isEmpty() ? QStringLiteral("已取出卡片") : QStringLiteral("插槽中沒有卡片"));
  refresh(true);
}

void SimPanel::addBlankCard() {
  const QString file = reader().newBlankCard();
  showStatus(file.isEmpty() ? QStringLiteral("無法建立卡片") : QStringLiteral("已新增空白卡 ") + cardName(file));
  refresh(true);
}

void SimPanel::spoilCard() {
  QString file = selectedDeckFile();
  if (file.isEmpty()) file = reader().slotFile();
  std::optional<SimCard> card = file.isEmpty() ? std::nullopt : SimCard::load(file);
  if (!card) {
    showStatus(QStringLiteral("沒有可設定的卡片"));
    return;
  }
  card->fault = cboFault_->currentData().toString();
  showStatus(card->save(file) ? cardName(file) + QStringLiteral(": ") + cboFault_->currentText()
                              : QStringLiteral("無法寫入卡片檔"));
  refresh(true);
}
