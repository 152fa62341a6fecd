// Qt's own dialogs speak Traditional Chinese once start-up has loaded Qt's translation, and
// English again without it (the translation is what changes them, not the platform).
#include "ui/QtTranslations.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {
QPair<QString, QString> yesNo() {
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  return {box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text()};
}
}  // namespace

TEST(QtTranslationsTest, YesNoBoxButtonsReadChineseAfterStartUpLoading) {
  EXPECT_EQ(yesNo().first, QStringLiteral("&Yes"));
  QTranslator* translator = LoadQtTranslations(*qApp);
  ASSERT_NE(translator, nullptr) << "Qt's translations (qt6-translations-l10n) are not installed";
  const auto [yes, no] = yesNo();
  QCoreApplication::removeTranslator(translator);
  delete translator;
  EXPECT_TRUE(yes.startsWith(QStringLiteral("是"))) << yes.toStdString();
  EXPECT_TRUE(no.startsWith(QStringLiteral("否"))) << no.toStdString();
  EXPECT_EQ(yesNo().first, QStringLiteral("&Yes"));
}
