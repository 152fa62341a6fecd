#pragma once
// The ANSI code page: the byte form of every file the program writes and reads, and of the
// card stripe. CP950 (Big5) unless INI PARAM/CodePage names another.
#include <QByteArray>
#include <QString>

namespace CodePage {
// Selects the code page by name ("CP950", "Big5", "UTF-8", ...). Unknown names keep the
// current one and answer false.
bool select(const QString& name);
QString name();
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);
// Number of bytes a text takes in the code page.
int byteLength(const QString& text);
}  // namespace CodePage
