#pragma once

#include <optional>
#include <string>
#include <vector>

// The command of the user's that starts an emulator Brindle has no part of its own for: split
// into words as a shell would, though never run through one, with the play's names put in.

/// The words of `text` as a shell splits them: blanks, tabs and line breaks between words;
/// '...' keeps everything as it stands; "..." keeps everything but \" \\ \$ \`; a backslash
/// outside quotes keeps the character after it; a "~" or "~/" that starts a word unquoted is the
/// home folder. Nothing else is expanded. nullopt, with `error` saying why, for an open quote or
/// a character that would mean something to a shell: $ ` | & ; < > ( ) outside quotes, $ and `
/// within double quotes.
std::optional<std::vector<std::string>> SplitCommandWords(const std::string& text,
                                                          std::string* error = nullptr);

/// What the placeholders of a command stand for in one play.
struct CommandNames {
  std::string rom;       // %ROM%: the game as the emulator gets it
  std::string patch;     // %PATCH%: the patch file
  std::string patchDir;  // %PATCHDIR%: the patch's folder, without a slash at its end
  std::string baseName;  // %BASENAME%: the patch's file name without its extension
};

/// Whether a word holds %ROM%.
bool HasRomPlaceholder(const std::vector<std::string>& words);

/// The words with every placeholder replaced, each word staying one word whatever the names
/// hold; a name that itself looks like a placeholder is not replaced again.
std::vector<std::string> SubstituteCommand(const std::vector<std::string>& words,
                                           const CommandNames& names);
