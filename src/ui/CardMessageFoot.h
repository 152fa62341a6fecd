#pragma once
// The foot of every card window that prints card message lines: the message lines, the row
// that names their file, the OK and exit buttons, and the status panel, in that order.
#include <QString>

class CardMessagePanel;
class MessageFileRow;
class QPushButton;
class QVBoxLayout;
class QWidget;
class StatusPanel;

struct CardMessageFoot {
  CardMessagePanel* panel;
  MessageFileRow* fileRow;
  QPushButton* ok;
  QPushButton* exit;  // leaves without the fields' checks
};

// Adds the foot to `layout`, below what the window put there. The file row keeps its path under
// the window's object name; with `loadOnLeave` a typed path is loaded when the field is left.
CardMessageFoot AddCardMessageFoot(QWidget* window, QVBoxLayout* layout, StatusPanel* status, bool loadOnLeave,
                                   const QString& okCaption, const QString& okName);
