#pragma once
// Qt's own texts (the buttons of its message boxes, the file chooser, the print and page set-up
// dialogs) in Traditional Chinese, as the program's screens are.
class QCoreApplication;
class QTranslator;

// Installs Qt's zh_TW translation on the application; answers it, or nullptr when Qt's
// translations are not installed (Qt's dialogs then stay in English).
QTranslator* LoadQtTranslations(QCoreApplication& app);
