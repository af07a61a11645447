#pragma once

#include <optional>
#include <string>

class CPatchDB;

// The emulator installation as the emulator page edits it: the directory text, the variant, and
// the program and configuration paths derived from them.

/// The variants in the order the page lists them. What runs each: the Windows build through
/// wine, the DOS build through an emulator the user names, the native Linux build directly.
enum class ZsnesVariant { Windows = 0, Dos = 1, Linux = 2 };
inline constexpr int kZsnesVariantCount = 3;

/// The directory text as stored: "\" turned into "/", blanks around separators and doubled
/// separators dropped, trailing blanks, tabs and separators removed, and one "/" at the end (so
/// an empty text gives "/").
std::string NormalizeDirectory(const std::string& text);

/// The list index for a ZSNESVer value; anything unknown shows as the Windows build.
int ZsnesVariantIndex(const std::string& zsnesVer);
/// The ZSNESVer value for a list index; nullptr for an index outside the list.
const char* ZsnesVariantName(int index);

struct ZsnesFiles {
  std::string executable;
  std::string config;
};
/// The program and configuration file for a directory text and variant index; nothing without a
/// variant. `home` is the home folder that the password database gives the user (without a
/// trailing "/"): the Linux build keeps its configuration in its ".zsnes" folder, or, for a user
/// without an entry there, in the folder it was started in (the installation directory).
std::optional<ZsnesFiles> DeriveZsnesFiles(const std::string& directoryText, int variant,
                                           const std::optional<std::string>& home);

/// The emulator page's values.
struct ZsnesForm {
  std::string directory;
  int variant = -1;  // list index, -1 for no selection
  std::string executable;
  std::string config;
  bool saveWithPatches = false;  // "Create save games in same directory as patch files"
};

ZsnesForm ReadZsnesForm(const CPatchDB& db);
/// For an emulator never configured (no directory) and a `zsnes` program found on PATH: the Linux
/// build in that program's folder, with the names derived from it. Anything else is kept.
void SuggestZsnesOnPath(ZsnesForm& form, const std::string& program,
                        const std::optional<std::string>& home);
/// Stores the page: the normalised directory (empty stays empty: the emulator is then still not
/// configured), the two paths as they are, the variant (kept as it was without a selection) and
/// the save-game choice.
void ApplyZsnesForm(const ZsnesForm& form, CPatchDB& db);
