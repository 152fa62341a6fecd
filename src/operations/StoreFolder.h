#pragma once
// The folder store files are imported from. The files come from the stores' Windows machines,
// often with names in the code page (a store name in Big5), which are no UTF-8: Qt neither lists
// nor opens such a file. The folder is read here byte by byte instead, and such a file is given
// the same name in UTF-8 before it is opened.
#include <QByteArray>
#include <QList>
#include <QString>

struct ListedStoreFile {
  enum class Name { Utf8, CodePage, Unreadable };
  QString name;      // as shown; an unreadable name shows its bytes as "\xNN"
  QByteArray bytes;  // the name as the file system holds it
  Name kind = Name::Utf8;
};

// The files matching "DD*_TL.TXT" (any letter case), in name order, whatever their names' encoding.
QList<ListedStoreFile> ListStoreFiles(const QString& dir);

// A path Qt can open for a listed file, renaming a code-page name to UTF-8 first; empty with the
// reason when the name cannot be read or the UTF-8 name is taken.
QString OpenableStoreFile(const QString& dir, const ListedStoreFile& file, QString& reason);
