#include "core/Settings.h"

namespace {
Settings& processSettings() {
  static Settings settings;
  return settings;
}
}  // namespace

const Settings& TheSettings() { return processSettings(); }
Settings& EditSettings() { return processSettings(); }
