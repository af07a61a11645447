// Pointing the emulator's save directory at a patch's folder and back.
#include "db/CPatchDB.h"
#include "play/CEmulatorConfig.h"

bool CPatchDB::SetSaveDirectory(const std::string& directory) {
  return RewriteEmulatorConfig({directory, directory, directory});
}

bool CPatchDB::RestoreSaveDirectory() {
  const SaveDirectoryRecord saved = m_savedDirectories;
  return RewriteEmulatorConfig(saved);
}

bool CPatchDB::RewriteEmulatorConfig(const SaveDirectoryRecord& values) {
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
  SaveDirectoryRecord previous = m_savedDirectories;
  config.ReplaceDirectories(values, previous);
  std::string error;
  if (!config.Write(ZConfig, &error)) {
    ReportError("Could not write ZSNES configuration file \"" + ZConfig + "\" (" + error +
                "). It was left as it was.");
    return false;
  }
  // Only a file that really changed may replace the values we will put back: each form keeps
  // its remembered value unless a line of that form was met.
  m_savedDirectories = previous;
  return true;
}

bool CPatchDB::IsAutoPatchOff() const {
  CEmulatorConfig config;
  return !ZSNES.empty() && config.Read(ZConfig) && config.AutoPatchOff();
}
