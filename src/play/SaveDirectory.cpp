// Pointing the emulator's save directory at a patch's folder and back.
#include "play/CEmulatorConfig.h"
#include "play/CZsnesEmulator.h"

bool CZsnesEmulator::SetSaveDirectory(const std::string& directory) {
  return RewriteEmulatorConfig({directory, directory, directory});
}

bool CZsnesEmulator::RestoreSaveDirectory() {
  const SaveDirectoryRecord saved = m_savedDirectories;
  return RewriteEmulatorConfig(saved);
}

bool CZsnesEmulator::RewriteEmulatorConfig(const SaveDirectoryRecord& values) {
  if (m_db.ZSNES.empty()) {
    ReportError("ZSNES installation directory not configured.");
    return false;
  }
  CEmulatorConfig config;
  if (!config.Read(m_db.ZConfig)) {
    ReportError(
        "Could not open ZSNES configuration file. Check Brindle's ZSNES installation "
        "configuration to ensure that the path and version information is correct.");
    return false;
  }
  SaveDirectoryRecord previous = m_savedDirectories;
  config.ReplaceDirectories(values, previous);
  std::string error;
  if (!config.Write(m_db.ZConfig, &error)) {
    ReportError("Could not write ZSNES configuration file \"" + m_db.ZConfig + "\" (" + error +
                "). It was left as it was.");
    return false;
  }
  // Only a file that really changed may replace the values we will put back: each form keeps
  // its remembered value unless a line of that form was met.
  m_savedDirectories = previous;
  return true;
}

bool CZsnesEmulator::IsAutoPatchOff() const {
  CEmulatorConfig config;
  return !m_db.ZSNES.empty() && config.Read(m_db.ZConfig) && config.AutoPatchOff();
}
