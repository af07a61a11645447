#pragma once

#include <string>

#include "prompt/UserPrompt.h"

// The rules of the folder picker's "Folder:" field, apart from the window: what Open accepts,
// what Enter, Delete and typing do, and the completion of a folder name. A leading "~" is the
// home folder; other texts without a leading "/" are taken inside `browsed`, the folder the
// picker shows (ending in "/").

/// The path a typed text stands for.
std::string ResolveFolderText(const std::string& text, const std::string& browsed);

/// Where the picker starts for a wanted folder (an absolute path): that folder, or the nearest
/// folder above it that exists; `home` when none is wanted or it is not absolute.
std::string StartingFolder(const std::string& wanted, const std::string& home);

/// The outcome of a rule: whether the picker goes to `path` (the text as the user meant it).
struct FolderStep {
  bool go = false;
  std::string path;
};

/// Open: checks the text, shows the box for whatever is wrong with it, offers to create a folder
/// that is missing. `go` means accept: go to `path` and close.
FolderStep CheckFolderToOpen(const std::string& text, const std::string& browsed,
                             UserPrompt& prompt);

/// Enter: goes to the text, offering first to create a folder that is missing. `finish` tells
/// the picker to end the field's text with "/" after going there.
struct EnterStep : FolderStep {
  bool finish = false;
};
EnterStep EnterFolderText(const std::string& text, const std::string& browsed, UserPrompt& prompt);

/// After a key changed the text (Delete, or a character typed): whether the text already names
/// a folder to go to ("/", or a folder written with its trailing "/").
bool GoesToAsTyped(const std::string& text, const std::string& browsed);

/// Whether a character typed at the end of `text` may be completed into a folder name: not
/// after a "/", where typing goes to the folder instead.
bool MayCompleteAfter(const std::string& text);

/// The characters that complete the last name of `text` into the one folder that starts with
/// it; empty when no folder or several do.
std::string CompleteFolderName(const std::string& text, const std::string& browsed);

/// A matched folder name in the letter case the completion shows it in, for a folder whose
/// names are found regardless of case: a name written all in capitals without blanks is shown
/// capitalised, and where the last typed character differs in case from the name, the name
/// follows that character's case.
std::string CompletionCase(const std::string& typed, std::string name);
