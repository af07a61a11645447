#pragma once

#include <string>
#include <vector>

#include "db/EmulatorChoice.h"
#include "prompt/UserPrompt.h"

class CPatchDB;

// The window's messages that name an emulator or a patch format. With ZSNES and an IPS patch
// they read as they always did; otherwise they name what is in use.

/// The first start's greeting, naming the emulator the emulator page will offer.
std::string WelcomeText(EmulatorKind offered);
/// The box after the first start's Options dialog: configured or not, for the chosen emulator.
BoxRequest FirstRunResult(const CPatchDB& db);
/// Playing while the chosen emulator is not set up.
std::string NoEmulatorText(const CPatchDB& db);
/// The question before a patch is removed from the list; `filename` gives its format. `sets`
/// are the patch sets that use it, which go with it.
std::string RemovePatchQuestion(const std::string& patchName, const std::string& filename,
                                const std::vector<std::string>& sets = {});
/// The question before several rows are removed at once: the patches and sets selected, and
/// `goingSets`, the other sets that use those patches and go with them.
std::string RemoveEntriesQuestion(const std::vector<std::string>& patchNames,
                                  const std::vector<std::string>& setNames,
                                  const std::vector<std::string>& goingSets);
/// The question before a patch set is removed from the list.
std::string RemovePatchSetQuestion(const std::string& setName);
/// What a patch set's row shows where a patch's shows its file: the files of its patches.
std::string PatchSetFilesText(const std::vector<std::string>& patches);
