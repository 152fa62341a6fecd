// Every window works from the keyboard: Enter on a focused button presses it.
#include "core/Settings.h"
#include "support/Sql.h"
#include "db/Connection.h"
#include "windows/counter/MainWindow.h"
#include "windows/counter/MenuWindows.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <memory>

namespace {

// Presses Enter on each visible, enabled button of the window; each must click once. The
// buttons' own work is cut off: this is about the key, not what the buttons do.
void EnterOnEveryButton(QWidget& window, const QString& name) {
  window.show();
  window.activateWindow();
  QApplication::processEvents();
  int tried = 0;
  for (QPushButton* b : window.findChildren<QPushButton*>()) {
    if (!b->isVisible() || !b->isEnabled()) continue;
    b->disconnect();
    int clicks = 0;
    QObject::connect(b, &QPushButton::clicked, [&clicks] { ++clicks; });
    b->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(b, &enter);
    EXPECT_EQ(clicks, 1) << name.toStdString() << " " << b->objectName().toStdString();
    ++tried;
  }
  EXPECT_GT(tried, 0) << name.toStdString();
  window.hide();
}

}  // namespace

class KeyboardTest : public DbTest {};

TEST_P(KeyboardTest, EnterOnAFocusedButtonPressesItInEveryWindow) {
  // The installation's store exists, or its field in the settings keeps the focus.
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES (?, '總店', 1)"), {TheSettings().storeId});
  MainWindow main;
  QStringList menu;
  for (QPushButton* b : main.findChildren<QPushButton*>())
    if (HasOperationWindow(b->objectName())) menu << b->objectName();
  ASSERT_GE(menu.size(), 15);
  for (const QString& name : menu) {
    std::unique_ptr<QWidget> window(CreateOperationWindow(name));
    ASSERT_TRUE(window) << name.toStdString();
    EnterOnEveryButton(*window, name);
  }
  EnterOnEveryButton(main, QStringLiteral("fmTolva"));
}

TOLVA_DB_TEST_SUITE(KeyboardTest);
