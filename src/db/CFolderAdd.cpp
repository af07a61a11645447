#include "db/CFolderAdd.h"

#include <algorithm>
#include <unordered_set>

#include "db/FileKinds.h"
#include "platform/ArchivePath.h"
#include "platform/FolderScan.h"

namespace {

// What adding the file alone would have shown, box by box.
std::vector<std::string> MessageTexts(const std::vector<BoxRequest>& boxes) {
  std::vector<std::string> texts;
  for (const BoxRequest& box : boxes)
    texts.push_back(box.text);
  return texts;
}

}  // namespace

CFolderAdd::CFolderAdd(const CPatchDB& db, int threads)
    : m_db(m_prompt),
      m_threads(threads),
      m_romsBefore(db.GetRomCount()),
      m_patchesBefore(db.GetPatchCount()) {
  for (int i = 0; i < db.GetRomCount(); ++i)
    m_db.AppendRom(std::make_unique<RomRecord>(*db.GetRom(i)));
  for (int i = 0; i < db.GetPatchCount(); ++i)
    m_db.AppendPatch(std::make_unique<PatchRecord>(*db.GetPatch(i)));
}

CFolderAdd::~CFolderAdd() = default;

FolderAddProgress CFolderAdd::Progress() const {
  FolderAddProgress progress;
  progress.scanning = m_scanning;
  progress.filesFound = m_filesFound;
  progress.filesDone = m_filesDone;
  progress.filesTotal = progress.scanning ? 0 : progress.filesFound;
  progress.bytesDone = m_bytesDone;
  progress.bytesTotal = m_bytesTotal;
  return progress;
}

void CFolderAdd::Run(const std::vector<std::string>& folders,
                     const std::function<void(const FolderAddProgress&)>& onProgress) {
  Scan(folders, onProgress);
  m_scanning = false;
  m_result.filesTotal = static_cast<int64_t>(m_found.size());
  if (!m_result.cancelled)
    AddAll(onProgress);
  m_result.filesDone = m_filesDone;
  // The search's list is not needed any more; the records are.
  m_found = {};
}

void CFolderAdd::Scan(const std::vector<std::string>& folders,
                      const std::function<void(const FolderAddProgress&)>& onProgress) {
  // A file installed under the same path is there already: it is not read again.
  std::unordered_set<std::string> installed;
  // An archive counts as there when any ROM in it is.
  for (int i = 0; i < m_db.GetRomCount(); ++i) {
    const std::string& filename = m_db.GetRom(i)->Filename;
    const auto member = SplitArchivePath(filename);
    installed.insert(member ? member->archive : filename);
  }
  for (int i = 0; i < m_db.GetPatchCount(); ++i)
    installed.insert(m_db.GetPatch(i)->Filename);

  FolderScanHandlers handlers;
  handlers.wanted = [](const std::string& name) {
    return IsRomFileName(name) || IsRomArchiveFileName(name) || IsPatchFileName(name);
  };
  handlers.found = [&](const std::string& path, int64_t size) {
    const bool rom = !IsPatchFileName(path);
    m_found.push_back({path, size, rom, installed.count(path) != 0});
    ++m_filesFound;
    if (m_found.back().present)
      return;
    m_bytesTotal += size;
    if (onProgress && m_filesFound % 64 == 0)
      onProgress(Progress());
  };
  handlers.problem = [this](const std::string& path, const std::string& reason, bool missed) {
    m_result.skipped.push_back({path, {reason}});
    m_result.searchIncomplete |= missed;
  };
  handlers.cancelled = [this] { return m_cancel.load(); };
  m_result.cancelled = !ScanFolders(folders, handlers);
}

void CFolderAdd::AddAll(const std::function<void(const FolderAddProgress&)>& onProgress) {
  CRomIdentifier identifier(m_threads);
  // A few files per thread ahead of the one being added keep every thread busy while the
  // results wait their turn; more would only hold more results.
  const int ahead = 2 * identifier.Threads();
  size_t given = 0;
  for (size_t i = 0; i < m_found.size(); ++i) {
    if (m_cancel) {
      m_result.cancelled = true;
      return;
    }
    for (; given < m_found.size() && identifier.InHand() < ahead; ++given) {
      if (m_found[given].rom && !m_found[given].present)
        identifier.Give(m_found[given].path);
    }
    const Found& file = m_found[i];
    if (file.present)
      ++(file.rom ? m_result.romsPresent : m_result.patchesPresent);
    else if (file.rom)
      AddRom(file.path, identifier.Take());
    else
      AddPatch(file.path);
    if (!file.present)
      m_bytesDone += file.size;
    ++m_filesDone;
    if (onProgress)
      onProgress(Progress());
  }
}

void CFolderAdd::AddRom(const std::string& path, CRomIdentifier::Result identified) {
  // Each ROM of an archive is added on its own; the boxes of those that could not be are listed
  // under the archive's path, so that none is carried over to the next file.
  bool refused = false;
  for (CPatchDB::RomRead& read : identified) {
    bool readAdded = false;
    if (!read.error.empty())
      m_db.ReportError(read.error);
    else
      readAdded = m_db.AddIdentifiedRom(std::make_unique<RomRecord>(std::move(read.rom)));
    if (readAdded)
      ++m_result.romsAdded;
    refused |= !readAdded;
  }
  if (refused)
    Refused(path);
}

void CFolderAdd::AddPatch(const std::string& path) {
  // Where adding one patch would open the Patch Information dialog, the patch waits for it.
  bool needsInformation = false;
  const bool added = m_db.InstallPatch(path, [&needsInformation](PatchRecord&) {
    needsInformation = true;
    return false;
  });
  if (added)
    ++m_result.patchesAdded;
  else if (needsInformation)
    m_result.needInformation.push_back({path, MessageTexts(m_prompt.Take())});
  else
    Refused(path);
}

void CFolderAdd::Refused(const std::string& path) {
  m_result.refused.push_back({path, MessageTexts(m_prompt.Take())});
}

void CFolderAdd::MergeInto(CPatchDB& db) const {
  for (int i = m_romsBefore; i < m_db.GetRomCount(); ++i)
    db.AppendRom(std::make_unique<RomRecord>(*m_db.GetRom(i)));
  for (int i = m_patchesBefore; i < m_db.GetPatchCount(); ++i)
    db.AppendPatch(std::make_unique<PatchRecord>(*m_db.GetPatch(i)));
}
