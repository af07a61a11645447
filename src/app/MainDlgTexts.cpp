#include "app/MainDlgTexts.h"

#include <cctype>

#include "db/CPatchDB.h"
#include "patch/PatchFormat.h"
#include "prompt/Diagnostics.h"

namespace {

constexpr char kWelcome[] =
    "Welcome to Brindle!\n\t\t\t\nPlease take a moment to configure Brindle's ZSNES settings.";
constexpr char kConfigured[] =
    "ZSNES has been configured.\n\nYou can use IPS patches by installing them through this "
    "program and double-clicking\non the entries in the patch listbox, or by double-clicking them "
    "in your file manager.\n\nNote that you must also install compatible ROMs in order to use the "
    "patches.";
constexpr char kNotConfigured[] =
    "ZSNES has not been properly configured.\n\t\t\t\t\nYou will have to specify a ZSNES "
    "installation directory before you can run patches with this program.";
constexpr char kNoEmulator[] =
    "Brindle does not have a ZSNES installation configured.\n\t\t\t\t\t\t\nYou must register "
    "ZSNES with Brindle before you can run patches.";

// `text` with its first `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  if (const size_t at = text.find(from); at != std::string::npos)
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

std::string WelcomeText(EmulatorKind offered) {
  // An emulator of the user's own has no name to give.
  return Replaced(kWelcome, "ZSNES",
                  offered == EmulatorKind::Other ? "emulator" : EmulatorName(offered));
}

BoxRequest FirstRunResult(const CPatchDB& db) {
  const EmulatorKind kind = ChosenEmulator(db);
  std::string name = EmulatorName(kind);
  name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));  // "The other"
  if (IsEmulatorSetUp(db)) {
    std::string text = kConfigured;
    // Every emulator but ZSNES plays the three formats as they are.
    if (kind != EmulatorKind::Zsnes)
      text = Replaced(Replaced(text, "ZSNES", name), "IPS patches", "IPS, BPS and UPS patches");
    return {text, kAppTitle, BoxIcon::Information, BoxButtons::Ok};
  }
  if (kind == EmulatorKind::Zsnes)
    return {kNotConfigured, kAppTitle, BoxIcon::Warning, BoxButtons::Ok};
  return {name + " has not been properly configured.\n\t\t\t\t\nYou will have to choose " +
              EmulatorSetUpWords(kind) + " before you can run patches with this program.",
          kAppTitle, BoxIcon::Warning, BoxButtons::Ok};
}

std::string NoEmulatorText(const CPatchDB& db) {
  const EmulatorKind kind = ChosenEmulator(db);
  if (kind == EmulatorKind::Zsnes)
    return kNoEmulator;
  return std::string("Brindle does not have ") + EmulatorName(kind) +
         " set up.\n\nYou must choose " + EmulatorSetUpWords(kind) +
         " in Options, on the emulator page, before you can run patches.";
}

namespace {

// "The patch set "A" uses it…", "The patch sets "A", "B" and "C" use them…": the sets that go
// with removed patches, since a set cannot be played without every one of its patches.
std::string GoingSetsText(const std::vector<std::string>& sets, bool onePatch) {
  if (sets.empty())
    return {};
  std::string text = sets.size() == 1 ? "The patch set " : "The patch sets ";
  for (size_t i = 0; i < sets.size(); ++i) {
    if (i > 0)
      text += i + 1 == sets.size() ? " and " : ", ";
    text += "\"" + sets[i] + "\"";
  }
  text += sets.size() == 1 ? " uses " : " use ";
  text += onePatch ? "it and will be removed with it" : "them and will be removed with them";
  return text + " (saves stay where they are).\n\n";
}

}  // namespace

std::string RemovePatchQuestion(const std::string& patchName, const std::string& filename,
                                const std::vector<std::string>& sets) {
  const auto format = PatchFormatFromPath(filename);
  const std::string kind = format ? PatchFormatName(*format) : "patch";
  return "Are you sure you want to remove the patch \"" + patchName + "\" from the database?\n\n" +
         GoingSetsText(sets, true) + "This will NOT remove the " + kind +
         " file from your hard drive.";
}

std::string RemoveEntriesQuestion(const std::vector<std::string>& patchNames,
                                  const std::vector<std::string>& setNames,
                                  const std::vector<std::string>& goingSets) {
  const auto named = [](const std::vector<std::string>& names, const char* one,
                        const char* several) {
    if (names.size() == 1)
      return std::string("the ") + one + " \"" + names[0] + "\"";
    return std::to_string(names.size()) + " " + several;
  };
  std::string what;
  if (!patchNames.empty())
    what = named(patchNames, "patch", "patches");
  if (!setNames.empty())
    what.append(what.empty() ? "" : " and ").append(named(setNames, "patch set", "patch sets"));
  return "Are you sure you want to remove " + what + " from the database?\n\n" +
         GoingSetsText(goingSets, patchNames.size() == 1) +
         "This will NOT remove any file from your hard drive.";
}

std::string RemovePatchSetQuestion(const std::string& setName) {
  return "Are you sure you want to remove the patch set \"" + setName +
         "\" from the database?\n\nIts patches stay installed. This will NOT remove any file "
         "from your hard drive.";
}

std::string PatchSetFilesText(const std::vector<std::string>& patches) {
  std::string text = "Patch set: ";
  for (size_t i = 0; i < patches.size(); ++i) {
    if (i > 0)
      text += " + ";
    const size_t slash = patches[i].rfind('/');
    text += slash == std::string::npos ? patches[i] : patches[i].substr(slash + 1);
  }
  return text;
}
