#include "ui/ScreenSplit.h"

#include <algorithm>

namespace {
constexpr int kMainWidth = 920;       // the main window (900) with its frame
constexpr int kPanelMinWidth = 440;   // a card picture and the panel's margins
constexpr int kPanelMaxWidth = 1100;  // room to spare is the main window's

int panelWidth(const QRect& available) {
  return std::min(available.width(), std::clamp(available.width() - kMainWidth, kPanelMinWidth, kPanelMaxWidth));
}
}  // namespace

QRect SimPanelArea(const QRect& available) {
  const int w = panelWidth(available);
  return QRect(available.right() - w + 1, available.top(), w, available.height());
}

QRect MainAreaBesidePanel(const QRect& available) {
  return QRect(available.left(), available.top(), std::max(0, available.width() - panelWidth(available)),
               available.height());
}
