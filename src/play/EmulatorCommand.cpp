#include "play/EmulatorCommand.h"

#include <cstring>

#include "platform/Path.h"

namespace {

constexpr char kShellOnly[] = "$`|&;<>()";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

std::optional<std::vector<std::string>> Fail(std::string* error, const std::string& why) {
  if (error)
    *error = why;
  return std::nullopt;
}

std::optional<std::vector<std::string>> ShellOnly(std::string* error, char c) {
  return Fail(error, std::string("\"") + c +
                         "\" means something only to a shell, and Brindle runs the command "
                         "without one; write it as \\" +
                         c + " where it belongs to a name");
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandWords(const std::string& text,
                                                          std::string* error) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool tildeStart = false;  // the word began with a "~" outside quotes
  const auto endWord = [&] {
    if (!inWord)
      return;
    if (tildeStart && (word == "~" || word.compare(0, 2, "~/") == 0))
      word = ExpandHome(word);
    words.push_back(word);
    word.clear();
    inWord = tildeStart = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsBlank(c)) {
      endWord();
    } else if (c == '\'') {
      const size_t close = text.find('\'', i + 1);
      if (close == std::string::npos)
        return Fail(error, "a ' is not closed");
      word.append(text, i + 1, close - i - 1);
      inWord = true;
      i = close;
    } else if (c == '"') {
      inWord = true;
      for (++i;; ++i) {
        if (i >= text.size())
          return Fail(error, "a \" is not closed");
        if (text[i] == '"')
          break;
        if (text[i] == '\\' && i + 1 < text.size() && std::strchr("\"\\$`\n", text[i + 1])) {
          if (text[++i] != '\n')
            word += text[i];
        } else if (text[i] == '$' || text[i] == '`') {
          return ShellOnly(error, text[i]);
        } else {
          word += text[i];
        }
      }
    } else if (c == '\\') {
      // A backslash at the very end stands for itself; before a line break it joins the lines.
      if (i + 1 >= text.size()) {
        word += c;
      } else if (text[++i] != '\n') {
        word += text[i];
      } else {
        continue;
      }
      inWord = true;
    } else if (c != '\0' && std::strchr(kShellOnly, c)) {
      return ShellOnly(error, c);
    } else {
      if (!inWord)
        tildeStart = c == '~';
      word += c;
      inWord = true;
    }
  }
  endWord();
  return words;
}

bool HasRomPlaceholder(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word.find("%ROM%") != std::string::npos)
      return true;
  }
  return false;
}

std::vector<std::string> SubstituteCommand(const std::vector<std::string>& words,
                                           const CommandNames& names) {
  const std::pair<const char*, const std::string*> placeholders[] = {
      {"%ROM%", &names.rom},
      {"%PATCH%", &names.patch},
      {"%PATCHDIR%", &names.patchDir},
      {"%BASENAME%", &names.baseName}};
  std::vector<std::string> out;
  for (const std::string& word : words) {
    std::string result;
    for (size_t i = 0; i < word.size();) {
      bool replaced = false;
      for (const auto& [name, value] : placeholders) {
        if (word.compare(i, std::strlen(name), name) == 0) {
          result += *value;
          i += std::strlen(name);
          replaced = true;
          break;
        }
      }
      if (!replaced)
        result += word[i++];
    }
    out.push_back(result);
  }
  return out;
}
