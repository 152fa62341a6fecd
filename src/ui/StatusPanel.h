#pragma once
// The status panel of a window: a caption over a flood bar that flashes full when a message
// is shown.
#include <QWidget>

class QLabel;
class QProgressBar;

class StatusPanel : public QWidget {
  Q_OBJECT
public:
  explicit StatusPanel(QWidget* parent = nullptr);
  QString caption() const;
  void setCaption(const QString& text);
  int floodPercent() const;
  void setFloodPercent(int percent);

private:
  QLabel* label_;
  QProgressBar* flood_;
};

// Shows a message on the panel: caption, full flood, repaint, the beeps, a short pause, and
// the flood back to 0. The message stays.
void ShowStatusMessage(StatusPanel* panel, const QString& message, int beeps = 2);
