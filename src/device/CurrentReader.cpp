#include "device/CurrentReader.h"
#include "device/CurrentReaderSeam.h"

#include "core/AppFolder.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "device/VendorReader.h"
#include "device/SimulatedReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

namespace {

ReaderDriver* g_override = nullptr;
std::unique_ptr<VendorReader> g_library;
QString g_libraryName;

// A bare name is looked for in the application folder first, then beside the program (where
// the package puts its simulator library), then where the system looks; a relative path is
// relative to the application folder.
QString libraryPath(const QString& name) {
  if (QDir::isAbsolutePath(name)) return name;
  if (!TheSettings().appPath.isEmpty()) {
    const QString local = QDir(TheSettings().appPath).filePath(name);
    if (name.contains(QLatin1Char('/')) || QFileInfo::exists(local)) return local;
  }
  if (name.contains(QLatin1Char('/'))) return name;
  const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
  for (const QString& folder : DriverLibraryFolders(exeDir)) {
    const QString candidate = QDir(folder).filePath(name);
    if (QFileInfo::exists(candidate)) return candidate;
  }
  return name;
}

}  // namespace

SimulatedReader& BuiltInSimulatedReader() {
  static SimulatedReader simulator([] {
    return TheSettings().appPath.isEmpty() ? QStringLiteral("CardSim") : TheSettings().appPath + QStringLiteral("/CardSim");
  });
  return simulator;
}

ReaderDriver& CurrentReaderDriver() {
  if (g_override) return *g_override;
  if (TheSettings().readerLibrary.trimmed().isEmpty()) return BuiltInSimulatedReader();
  if (!g_library || g_libraryName != TheSettings().readerLibrary) {
    g_library.reset();
    g_libraryName = TheSettings().readerLibrary;
    g_library = std::make_unique<VendorReader>(libraryPath(TheSettings().readerLibrary.trimmed()));
    if (!g_library->isLoaded()) {
      LogError(ErrorLabel(), QStringLiteral("48"), g_library->errorText());
    }
  }
  return *g_library;
}

QString ReaderLibraryPath(const QString& name) { return libraryPath(name.trimmed()); }

void SetReaderDriverForTest(ReaderDriver* driver) { g_override = driver; }
