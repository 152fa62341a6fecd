#include "core/Settings.h"
#include "ui/StatusPanel.h"
#include "ui/FieldBehaviour.h"
#include "ui/PressGuard.h"
#include "ui/WindowHelpers.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A small data-entry window: three fields in tab order and a status panel.
struct Form {
  QWidget window;
  QLineEdit* txtA;
  QLineEdit* txtDate;
  QLineEdit* txtC;
  StatusPanel* elaMsg;
  Form() {
    auto* layout = new QVBoxLayout(&window);
    txtA = new QLineEdit(&window);
    txtA->setObjectName(QStringLiteral("txtA"));
    txtDate = new QLineEdit(&window);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtC = new QLineEdit(&window);
    txtC->setObjectName(QStringLiteral("txtC"));
    elaMsg = new StatusPanel(&window);
    for (QWidget* w : {static_cast<QWidget*>(txtA), static_cast<QWidget*>(txtDate), static_cast<QWidget*>(txtC),
                       static_cast<QWidget*>(elaMsg)}) {
      layout->addWidget(w);
    }
    for (QLineEdit* f : {txtA, txtDate, txtC}) FieldBehaviour::install(f);
    InstallDateField(txtDate, elaMsg);
    window.show();
    window.activateWindow();
    QApplication::processEvents();
  }
};

void press(QWidget* w, int key) {
  QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Return ? QStringLiteral("\r") : QString());
  QApplication::sendEvent(w, &down);
  QApplication::processEvents();
}

}  // namespace

class FieldBehaviourTest : public AppTest {};

TEST_F(FieldBehaviourTest, EnterAndArrowsMoveInTabOrderAndEnterIsSwallowed) {
  Form f;
  f.txtA->setFocus();
  QApplication::processEvents();
  f.txtA->setText(QStringLiteral("abc"));
  int returns = 0;
  QObject::connect(f.txtA, &QLineEdit::returnPressed, [&] { ++returns; });
  press(f.txtA, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), f.txtDate);
  EXPECT_EQ(returns, 0);
  EXPECT_EQ(f.txtA->text(), QStringLiteral("abc"));
  press(f.txtDate, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), f.txtC);
  press(f.txtC, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), f.txtDate);
}

TEST_F(FieldBehaviourTest, FocusSelectsTheWholeText) {
  Form f;
  f.txtC->setText(QStringLiteral("12345"));
  f.txtC->setFocus();
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(f.txtC->selectedText(), QStringLiteral("12345"));
}

TEST_F(FieldBehaviourTest, BadDateKeepsTheFocusAndSaysSo) {
  Form f;
  f.txtDate->setFocus();
  QApplication::processEvents();
  f.txtDate->setText(QStringLiteral("2026035"));
  press(f.txtDate, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), f.txtDate);
  EXPECT_EQ(f.elaMsg->caption(), QStringLiteral("日期格式不對"));
  EXPECT_EQ(f.txtDate->selectedText(), QStringLiteral("2026035"));
  EXPECT_EQ(dialogs_->beeps, 2);

  // Typed over and accepted: the complaint leaves the panel.
  f.txtDate->selectAll();
  for (const QChar c : QStringLiteral("20260305")) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(f.txtDate, &key);
  }
  EXPECT_EQ(f.elaMsg->caption(), QStringLiteral("日期格式不對"));  // still typing
  press(f.txtDate, Qt::Key_Return);
  EXPECT_EQ(f.txtDate->text(), QStringLiteral("2026/03/05"));
  EXPECT_EQ(QApplication::focusWidget(), f.txtC);
  EXPECT_EQ(f.elaMsg->caption(), QString());

  // Refused again, then given a value by the window (a card read, a picker): gone as well; a
  // message the window showed since stays.
  f.txtDate->setText(QStringLiteral("2026035"));
  FieldBehaviour::of(f.txtDate)->validate();
  EXPECT_EQ(f.elaMsg->caption(), QStringLiteral("日期格式不對"));
  f.txtDate->setText(QStringLiteral("2026/03/06"));
  EXPECT_EQ(f.elaMsg->caption(), QString());
  f.txtDate->setText(QStringLiteral("2026035"));
  FieldBehaviour::of(f.txtDate)->validate();
  f.elaMsg->setCaption(QStringLiteral("已發卡"));
  f.txtDate->setText(QStringLiteral("2026/03/06"));
  EXPECT_EQ(f.elaMsg->caption(), QStringLiteral("已發卡"));
}

TEST_F(FieldBehaviourTest, EmptyAndLockedFieldsAreAlwaysAccepted) {
  Form f;
  auto* fb = FieldBehaviour::of(f.txtDate);
  ASSERT_NE(fb, nullptr);
  EXPECT_TRUE(fb->validate());
  f.txtDate->setText(QStringLiteral("nonsense"));
  f.txtDate->setReadOnly(true);
  EXPECT_TRUE(fb->validate());
  f.txtDate->setReadOnly(false);
  EXPECT_FALSE(fb->validate());
}

TEST_F(FieldBehaviourTest, RocCalendarFieldShowsTheSeparatedText) {
  EditSettings().calendar = QStringLiteral("CC/MM/DD");
  Form f;
  f.txtDate->setText(QStringLiteral("99/12/31"));
  EXPECT_TRUE(FieldBehaviour::of(f.txtDate)->validate());
  EXPECT_EQ(f.txtDate->text(), QStringLiteral("99/12/31"));
  f.txtDate->setText(QStringLiteral("1150305"));
  EXPECT_TRUE(FieldBehaviour::of(f.txtDate)->validate());
  EXPECT_EQ(f.txtDate->text(), QStringLiteral("115/03/05"));
  f.txtDate->setText(QStringLiteral("1150230"));
  EXPECT_FALSE(FieldBehaviour::of(f.txtDate)->validate());
}

TEST_F(FieldBehaviourTest, F8AndDoubleClickOpenThePickerThenCheck) {
  Form f;
  int opened = 0;
  FieldBehaviour::of(f.txtA)->setPicker([&](QLineEdit* field) {
    ++opened;
    field->setText(QStringLiteral("picked"));
  });
  int checked = 0;
  FieldBehaviour::of(f.txtA)->setCheck([&](QLineEdit*) { return ++checked > 0; });
  press(f.txtA, Qt::Key_F8);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(f.txtA, &dbl);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(checked, 2);
  EXPECT_EQ(f.txtA->text(), QStringLiteral("picked"));
  // A field without a picker ignores F8.
  press(f.txtC, Qt::Key_F8);
  EXPECT_EQ(opened, 2);
}

TEST_F(FieldBehaviourTest, InputModeClearAndLockByNamePrefix) {
  Form f;
  f.txtC->setFocusPolicy(Qt::NoFocus);
  f.txtA->setText(QStringLiteral("x"));
  OpenFieldsForInput(&f.window);
  EXPECT_FALSE(f.txtA->isReadOnly());
  EXPECT_TRUE(f.txtC->isReadOnly());
  EXPECT_EQ(f.txtA->palette().color(QPalette::Base), kInputOpen);
  EXPECT_EQ(f.txtC->palette().color(QPalette::Base), kInputClosed);
  ClearInputFields(&f.window);
  EXPECT_TRUE(f.txtA->text().isEmpty());
  LockFields(&f.window);
  EXPECT_TRUE(f.txtA->isReadOnly());
  EXPECT_EQ(f.txtA->palette().color(QPalette::Base), kInputClosed);
}

// A button pressed from the keyboard has the focus again when its handler ends, unless the
// handler put it elsewhere.
TEST_F(FieldBehaviourTest, APressedButtonGetsTheFocusBackUnlessTheHandlerMovedIt) {
  Form f;
  auto* first = new QPushButton(QStringLiteral("一"), &f.window);
  auto* second = new QPushButton(QStringLiteral("二"), &f.window);
  f.window.layout()->addWidget(first);
  f.window.layout()->addWidget(second);
  QApplication::processEvents();
  bool busy = false;
  first->setFocus();
  QApplication::processEvents();
  { const PressGuard press(busy, {first, second}); }
  EXPECT_EQ(QApplication::focusWidget(), first);
  {
    const PressGuard press(busy, {first, second});
    f.txtC->setFocus();
  }
  EXPECT_EQ(QApplication::focusWidget(), f.txtC);
}
