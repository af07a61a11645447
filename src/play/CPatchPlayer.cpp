// The play sequence, step by step.
#include "play/CPatchPlayer.h"

#include <unistd.h>

#include "db/ArchivedRoms.h"
#include "db/SizeWord.h"
#include "md5/MD5.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Process.h"
#include "play/Emulators.h"
#include "play/PatchChain.h"
#include "play/PatchCheck.h"

int CPatchDB::PlayPatch(int index) {
  return CPatchPlayer(*this).PlayPatch(index);
}

int CPatchDB::PlayPatchSet(int setIndex) {
  return CPatchPlayer(*this).PlayPatchSet(setIndex);
}

bool CPatchDB::RecoverInterruptedPlay() {
  return CPatchPlayer(*this).RecoverInterruptedPlay();
}

void CPatchDB::RemoveLitter() const {
  if (!m_databasePath.empty()) {
    RemoveStaleTempFiles(m_databasePath);
    RemoveStaleTempFiles(CPlayJournal::PathFor(m_databasePath));
  }
  if (!ZConfig.empty())
    RemoveStaleTempFiles(ZConfig);
}

CPatchPlayer::CPatchPlayer(CPatchDB& db) : m_db(db), m_emulator(MakeEmulator(db)), m_journal(db) {}

CPatchPlayer::~CPatchPlayer() = default;

int CPatchPlayer::PlayPatch(int index) {
  return Check(index) ? PlayChecked() : 0;
}

int CPatchPlayer::PlayPatchSet(int setIndex) {
  m_db.SetPlayingSet(true);
  const int played = CheckSet(setIndex) ? PlayChecked() : 0;
  m_db.SetPlayingSet(false);
  return played;
}

int CPatchPlayer::PlayChecked() {
  if (!Prepare())
    return 0;
  const bool ran = Run();
  // Put back whether or not the game ran.
  const bool back = PutBack();
  if (m_endSignal != 0) {
    ReportAbnormalEnd();
    return 0;
  }
  return back && ran ? 1 : 0;
}

bool CPatchPlayer::RomFileExists(const RomRecord& rom) const {
  if (const auto member = SplitArchivePath(rom.Filename))
    return ArchiveMemberExists(*member);
  CFile file;
  return file.Open(rom.Filename, CFile::Mode::Read);
}

bool CPatchPlayer::ReadCheckedRom(const RomRecord& rom, std::string& bytes) {
  if (!ReadRomForPlay(m_db, rom, bytes))
    return false;
  if (m_db.IgnoreHash)
    return true;
  MD5 digest;
  digest.update(reinterpret_cast<const unsigned char*>(bytes.data()),
                static_cast<uint32_t>(bytes.size()));
  digest.finalize();
  if (digest.hex_digest() == rom.RomDigest)
    return true;
  const BoxRequest warning{
      "Warning:\n\n" + rom.Filename +
          "\n\nThe MD5 digest of this file is not consistent with the value stored in the ROM "
          "database!\t\t\t\nIt is recommended that you reinstall this ROM, after ensuring that it "
          "is still valid.\n\t\t\t\nDo you want to continue applying the patch to this ROM?",
      "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
  return m_db.Prompt().Ask(warning) == BoxAnswer::Yes;
}

std::string CPatchPlayer::PlayJournalPath() const {
  const std::string& database = m_db.DatabasePath();
  return database.empty() ? std::string() : CPlayJournal::PathFor(database);
}

bool CPatchPlayer::Check(int index) {
  const PatchRecord* patch = m_db.GetPatch(index);
  if (patch == nullptr) {
    ReportError("Specified patch index out of bounds.");
    return false;
  }
  m_request.patch = patch;
  m_request.type = PatchTypeOf(patch->Filename);
  const EmulatorKind kind = m_emulator->Kind();
  if (!EmulatorPlays(m_db, kind, {FormatForm(m_request.type)})) {
    ReportError(PatchRefusal(m_db, *m_emulator, patch->Filename, m_request.type));
    return false;
  }
  bool headerFlip = false;
  if (!FindRomFor(patch->RomName, patch->SizeWord, patch->RomSize, patch->PatchName,
                  m_request.type == PatchType::Ips, headerFlip)) {
    return false;
  }
  const RomRecord& rom = *m_request.rom;
  m_checked = CheckedPatch{};
  if (!ReadCheckedRom(rom, m_checked.rom) ||
      !ApplyPatchInMemory(m_db, *patch, rom, m_checked, headerFlip, nullptr)) {
    return false;
  }
  // The emulator must apply the user's file correctly as it is, or be given one of Brindle's
  // making.
  if (const std::vector<PatchForm> forms = FormsOf(m_checked); !EmulatorPlays(m_db, kind, forms)) {
    ReportError(PatchFormRefusal(m_db, *m_emulator, patch->Filename, m_checked,
                                 *FirstNotApplied(m_db, kind, forms)));
    return false;
  }
  m_request.checked = &m_checked;

  m_request.patchFolder = FolderOf(patch->Filename);
  m_request.baseName = BaseName(patch->Filename);
  // The setting is stored as the inverse of "Create save games in same directory as patch
  // files".
  m_request.savesWithPatch = !m_db.UseSaveDir;

  return CheckNoUnfinishedPlay() && m_emulator->Check(m_request);
}

bool CPatchPlayer::FindRomFor(const std::string& romName, int32_t sizeWord,
                              const std::string& romSize, const std::string& played, bool mayFlip,
                              bool& headerFlip) {
  m_request.rom = m_db.FindRom(romName, sizeWord);
  // The same game with or without a copier header: an IPS patch is moved to fit the file.
  headerFlip = false;
  if (m_request.rom == nullptr && mayFlip && sizeWord >= 0) {
    m_request.rom = m_db.FindRom(romName, sizeWord ^ kHeaderFlag);
    headerFlip = m_request.rom != nullptr;
  }
  if (m_request.rom == nullptr) {
    ReportError("The ROM \"" + romName + " (" + romSize +
                ")\" was not found in the database.\n\nYou must install this ROM in order to "
                "play \"" +
                played + "\".");
    return false;
  }
  const RomRecord& rom = *m_request.rom;
  if (!RomFileExists(rom)) {
    ReportError(rom.Filename +
                "\n\nThe ROM file could not be found.\n\t\t\t\nIf this file no longer exists, you "
                "will have to reinstall the \"" +
                rom.RomName + " (" + rom.RomSize + ")\" ROM\nin order to play \"" + played + "\".");
    return false;
  }
  return true;
}

bool CPatchPlayer::CheckNoUnfinishedPlay() {
  // Asked before any question; the claim itself is made when the journal is created.
  m_journal.path = PlayJournalPath();
  if (!m_journal.path.empty() && PathExists(m_journal.path)) {
    ReportUnfinishedPlay();
    return false;
  }
  return true;
}

void CPatchPlayer::ReportUnfinishedPlay() {
  ReportError("An earlier play of a patch has not been finished: " + m_journal.path +
              " still exists.\n\nStart Brindle again so that it can put back what that play "
              "changed, then play this " +
              m_db.PlayedNoun() + ".");
}
