// Pointing the emulator's save directory at a patch's folder and back.
#include "db/CPatchDB.h"
#include "play/CEmulatorConfig.h"

bool CPatchDB::SetSaveDirectory(const std::string& directory) {
  if (ZSNES.empty()) {
    ReportError("ZSNES installation directory not configured.");
    return false;
  }
  CEmulatorConfig config;
  if (!config.Read(ZConfig)) {
    ReportError(
        "Could not open ZSNES configuration file. Check Brindle's ZSNES installation "
        "configuration to ensure that the path and version information is correct.");
    return false;
  }
  std::string previous;
  const bool matched = config.ReplaceSaveDirectory(directory, &previous);
  std::string error;
  if (!config.Write(ZConfig, &error)) {
    ReportError("Could not write ZSNES configuration file \"" + ZConfig + "\" (" + error +
                "). It was left as it was.");
    return false;
  }
  // Only a file that really changed may replace the value we will put back.
  if (matched)
    m_savedSaveDirectory = previous;
  return true;
}

bool CPatchDB::RestoreSaveDirectory() {
  const std::string saved = m_savedSaveDirectory;
  return SetSaveDirectory(saved);
}
