#include "platform/FolderRules.h"

#include <cctype>

#include "platform/Folders.h"
#include "platform/Path.h"

namespace {

constexpr char kNotValid[] = "\nThis is not a valid folder.";
constexpr char kIsAFile[] = "\nThis is a file not a directory.";
constexpr char kAskCreate[] = "\nThis folder does not exist.\n\nDo you want to create it?";
constexpr char kCannotCreateRemovable[] =
    "You cannot create this folder.\nThe medium may be write-protected.";
constexpr char kCannotCreateNetwork[] =
    "You do not have permission to create\nthis folder on the network.";
constexpr char kCannotCreateCdRom[] =
    "You cannot create this folder\nas the CD ROM medium is read-only.";
constexpr char kCannotCreateOnOpen[] = "You do not have permission\nto create this folder.";
constexpr char kCannotCreateOnEnter[] =
    "You do not have permission or\notherwise cannot create this folder.";
constexpr char kUnreachable[] =
    "\nThis folder cannot be reached.\nYou do not have permission to open a folder above it.";

bool EndsWithSlash(const std::string& text) {
  return !text.empty() && text.back() == '/';
}

void Tell(UserPrompt& prompt, const std::string& text) {
  prompt.Ask({text, kAppTitle, BoxIcon::None, BoxButtons::Ok});
}

// Asks whether to create the missing folder and creates it; false when the user said No or the
// folder could not be made (after telling why, by the kind of medium it would be on).
bool OfferToCreate(const std::string& text, const std::string& path, UserPrompt& prompt,
                   const char* otherFailure) {
  if (prompt.Ask({text + kAskCreate, kAppTitle, BoxIcon::None, BoxButtons::YesNo}) !=
      BoxAnswer::Yes) {
    return false;
  }
  if (CreateFolderWithParents(path))
    return true;
  switch (GetDriveType(path)) {
    case DriveType::Removable:
      Tell(prompt, kCannotCreateRemovable);
      break;
    case DriveType::Network:
      Tell(prompt, kCannotCreateNetwork);
      break;
    case DriveType::CdRom:
      Tell(prompt, kCannotCreateCdRom);
      break;
    case DriveType::Fixed:
      Tell(prompt, otherFailure);
      break;
  }
  return false;
}

}  // namespace

std::string ResolveFolderText(const std::string& text, const std::string& browsed) {
  return MakeAbsolute(ExpandHome(text), browsed);
}

std::string StartingFolder(const std::string& wanted, const std::string& home) {
  if (wanted.empty() || wanted[0] != '/')
    return home;
  std::string folder = wanted;
  while (folder.size() > 1 && GetPathKind(folder) != PathKind::Folder) {
    while (folder.size() > 1 && folder.back() == '/')
      folder.pop_back();
    folder = DirectoryOf(folder);
  }
  return folder;
}

FolderStep CheckFolderToOpen(const std::string& text, const std::string& browsed,
                             UserPrompt& prompt) {
  if (text.empty() || text == "/")
    return {true, text};
  if (text == "//") {
    Tell(prompt, text + kNotValid);
    return {};
  }
  std::string s = text;
  if (EndsWithSlash(s))
    s.pop_back();
  const std::string path = ResolveFolderText(s, browsed);
  switch (GetPathKind(path)) {
    case PathKind::Folder:
      return {true, s};
    case PathKind::File:
      Tell(prompt, s + kIsAFile);
      return {};
    case PathKind::Unreachable:
      Tell(prompt, s + kUnreachable);
      return {};
    case PathKind::Missing:
      break;
  }
  // Two leading separators would be a network share elsewhere; here they name nothing that can
  // be made.
  if (s.compare(0, 2, "//") == 0) {
    Tell(prompt, s + kNotValid);
    return {};
  }
  if (!OfferToCreate(s, path, prompt, kCannotCreateOnOpen))
    return {};
  return {true, s};
}

EnterStep EnterFolderText(const std::string& text, const std::string& browsed, UserPrompt& prompt) {
  std::string s = text;
  if (s != "/" && s != "//" && EndsWithSlash(s))
    s.pop_back();
  EnterStep step;
  step.go = true;
  step.path = s;
  const bool bareDoubleSlash = s.compare(0, 2, "//") == 0 && s.find('/', 2) == std::string::npos;
  if (s.empty() || s == "/" || bareDoubleSlash)
    return step;
  const std::string path = ResolveFolderText(s, browsed);
  switch (GetPathKind(path)) {
    case PathKind::Missing:
      if (!OfferToCreate(s, path, prompt, kCannotCreateOnEnter))
        return {};
      break;
    case PathKind::Unreachable:
      Tell(prompt, s + kUnreachable);
      return {};
    case PathKind::Folder:
    case PathKind::File:
      break;
  }
  // An existing file is gone to as well; the picker stays where it is.
  step.finish = true;
  return step;
}

bool GoesToAsTyped(const std::string& text, const std::string& browsed) {
  if (text == "/")
    return true;
  if (text == "//" || !EndsWithSlash(text))
    return false;
  return GetPathKind(ResolveFolderText(text, browsed)) == PathKind::Folder;
}

bool MayCompleteAfter(const std::string& text) {
  return !text.empty() && !EndsWithSlash(text);
}

std::string CompletionCase(const std::string& typed, std::string name) {
  const auto has = [&name](int (*test)(int)) {
    for (char c : name) {
      if (test(static_cast<unsigned char>(c)))
        return true;
    }
    return false;
  };
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  const auto upper = [](char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  };
  if (!name.empty() && !has(std::islower) && name.find(' ') == std::string::npos) {
    for (size_t i = 1; i < name.size(); ++i)
      name[i] = lower(name[i]);
  }
  const size_t k = typed.size();
  if (k > 0 && k <= name.size() && typed[k - 1] != name[k - 1]) {
    const bool capital = std::isupper(static_cast<unsigned char>(typed[k - 1]));
    for (char& c : name)
      c = capital ? upper(c) : lower(c);
  }
  return name;
}

std::string CompleteFolderName(const std::string& text, const std::string& browsed) {
  if (!MayCompleteAfter(text))
    return {};
  const std::string typedFolder = FolderOf(text);
  const std::string typed = text.substr(typedFolder.size());
  const std::string folder =
      typedFolder.empty() ? browsed : ResolveFolderText(typedFolder, browsed);
  // Where names are found regardless of case, so are the matches; elsewhere the name must start
  // with exactly what was typed, or the completed text would name no folder.
  const bool anyCase = IsFolderCaseInsensitive(folder);
  const auto starts = [&](const std::string& name) {
    if (name.size() < typed.size())
      return false;
    for (size_t i = 0; i < typed.size(); ++i) {
      const char a = name[i], b = typed[i];
      if (anyCase ? std::tolower(static_cast<unsigned char>(a)) !=
                        std::tolower(static_cast<unsigned char>(b))
                  : a != b) {
        return false;
      }
    }
    return true;
  };
  std::string match;
  int matches = 0;
  for (const std::string& name : ListFolder(folder)) {
    if (starts(name) && GetPathKind(folder + name) == PathKind::Folder) {
      match = name;
      ++matches;
    }
  }
  if (matches != 1)
    return {};
  if (anyCase)
    match = CompletionCase(typed, match);
  return match.substr(typed.size());
}
