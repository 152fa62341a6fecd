#pragma once
// The simulator panel: the deck and the slot of one reader folder, and the operator's hands
// (insert, take out, new blank card, spoil). It follows what the program does to the cards by
// looking at the folder a few times a second.
#include "device/SimulatorFiles.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

class SimPanel : public QWidget {
  Q_OBJECT
public:
  SimPanel(QString root, const QString& port, QWidget* parent = nullptr);

  SimReader reader() const;
  // Reloads the pictures when a card file changed (or always with `force`).
  void refresh(bool force = false);

private slots:
  void insertCard();
  void takeOutCard();
  void addBlankCard();
  void spoilCard();
  void portChanged();

private:
  QString selectedDeckFile() const;
  QString folderSignature() const;
  void fillPorts(const QString& current);
  void showStatus(const QString& text);

  QString root_;
  QComboBox* cboPort_ = nullptr;
  QLabel* lblFolder_ = nullptr;
  QListWidget* lstDeck_ = nullptr;
  QLabel* lblSlot_ = nullptr;
  QLabel* lblSlotName_ = nullptr;
  QComboBox* cboFault_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QTimer* timer_ = nullptr;
  QString signature_;
};
