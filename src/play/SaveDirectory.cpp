// Pointing the emulator's save directory at a patch's folder and back.
#include "play/CEmulatorConfig.h"
#include "play/CZsnesEmulator.h"

namespace {

// Each key keeps its remembered values unless the file had a line of it.
void Remember(std::vector<ConfigValue>& remembered, const std::vector<ConfigValue>& values) {
  for (const ConfigValue& value : values) {
    std::erase_if(remembered, [&value](const ConfigValue& old) { return old.key == value.key; });
  }
  remembered.insert(remembered.end(), values.begin(), values.end());
}

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

bool CZsnesEmulator::ReadEmulatorConfig(CEmulatorConfig& config) {
  if (m_db.ZSNES.empty()) {
    ReportError("ZSNES installation directory not configured.");
    return false;
  }
  if (!config.Read(m_db.ZConfig)) {
    ReportError(
        "Could not open ZSNES configuration file. Check Brindle's ZSNES installation "
        "configuration to ensure that the path and version information is correct.");
    return false;
  }
  if (config.HasStrayCarriageReturn()) {
    ReportError("The ZSNES configuration file \"" + m_db.ZConfig +
                "\" has carriage returns that do not end its lines, so ZSNES would read it "
                "otherwise than Brindle. It was left as it was.");
    return false;
  }
  return true;
}

bool CZsnesEmulator::WriteEmulatorConfig(const CEmulatorConfig& config) {
  std::string error;
  if (!config.Changed() || config.Write(m_db.ZConfig, &error))
    return true;
  ReportError("Could not write ZSNES configuration file \"" + m_db.ZConfig + "\" (" + error +
              "). It was left as it was.");
  return false;
}

bool CZsnesEmulator::SetSaveDirectory(const std::string& directory) {
  CEmulatorConfig config;
  if (!ReadEmulatorConfig(config))
    return false;
  // What was read back from the file always fits it again; a new folder may not.
  const std::string problem =
      FolderFitProblem(config.FitFolder(directory), directory, m_db.ZConfig);
  if (!problem.empty()) {
    ReportError(problem);
    return false;
  }
  const std::vector<ConfigValue> values = config.ValuesToReplace();
  CPlayJournal& journal = m_journal->journal;
  const size_t first = journal.Steps.size();
  for (const ConfigValue& value : values) {
    if (!m_journal->Journal(JournalStep::Value(m_db.ZConfig, value.key, value.raw))) {
      return false;
    }
  }
  config.PointAt(directory);
  const bool written = WriteEmulatorConfig(config);
  if (!values.empty())
    m_journal->Moment();
  if (!written) {
    for (size_t i = first; i < journal.Steps.size(); ++i)
      journal.MarkUndone(i);  // the file never changed
    return false;
  }
  Remember(m_savedDirectories, values);
  return true;
}

bool CZsnesEmulator::RestoreSaveDirectory() {
  CEmulatorConfig config;
  if (!ReadEmulatorConfig(config))
    return false;
  const std::vector<ConfigValue> replaced = config.PutBack(m_savedDirectories);
  if (!WriteEmulatorConfig(config))
    return false;
  Remember(m_savedDirectories, replaced);
  return true;
}

bool CZsnesEmulator::IsAutoPatchOff() const {
  CEmulatorConfig config;
  return !m_db.ZSNES.empty() && config.Read(m_db.ZConfig) && config.AutoPatchOff();
}
