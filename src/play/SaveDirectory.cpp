// Pointing the emulator's save directory at a patch's folder and back.
#include "play/CEmulatorConfig.h"
#include "play/CPatchPlayer.h"

namespace {

// Why the configuration file cannot carry the folder; empty when it can.
std::string FolderFitProblem(CEmulatorConfig::FolderFit fit, const std::string& folder,
                             const std::string& configFile) {
  const std::string start = "The patch folder \"" + folder +
                            "\" cannot be written into the ZSNES configuration file \"" +
                            configFile + "\": ";
  switch (fit) {
    case CEmulatorConfig::FolderFit::LineBreak:
      return start +
             "ZSNES cannot read a folder name with a line break from it.\n\nMove the patch to "
             "another folder to play it.";
    case CEmulatorConfig::FolderFit::TooLong:
      return start +
             "ZSNES reads at most 1023 bytes of a folder name from it.\n\nMove the patch to a "
             "folder with a shorter name to play it.";
    case CEmulatorConfig::FolderFit::Fits:
      break;
  }
  return std::string();
}

}  // namespace

bool CPatchPlayer::SetSaveDirectory(const std::string& directory) {
  return RewriteEmulatorConfig({directory, directory, directory}, &directory);
}

bool CPatchPlayer::RestoreSaveDirectory() {
  const SaveDirectoryRecord saved = m_savedDirectories;
  return RewriteEmulatorConfig(saved);
}

bool CPatchPlayer::RewriteEmulatorConfig(const SaveDirectoryRecord& values,
                                         const std::string* folder) {
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
  // What was read back from the file always fits it again; a new folder may not.
  if (folder) {
    const std::string problem = FolderFitProblem(config.FitFolder(*folder), *folder, m_db.ZConfig);
    if (!problem.empty()) {
      ReportError(problem);
      return false;
    }
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

bool CPatchPlayer::IsAutoPatchOff() const {
  CEmulatorConfig config;
  return !m_db.ZSNES.empty() && config.Read(m_db.ZConfig) && config.AutoPatchOff();
}
