// The summary at the end of adding a folder, the same in the window and on the command line.
#include <cstdio>
#include <sstream>

#include "db/CFolderAdd.h"
#include "parser/TextUtil.h"

namespace {

std::string Count(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A path with its control characters written as escapes ("\n", "\t", "\x1b"), so that a file
// name holding a line break still reads as one entry.
std::string EscapedPath(const std::string& path) {
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    }
  }
  return out;
}

// A message box's text as indented lines under its file: without the blank lines that space a
// box out, and without the file's own path, which the list shows once above them. The path is
// shown escaped, in the messages too.
void AppendNotes(std::ostringstream& out, const char* heading,
                 const std::vector<FolderAddResult::Note>& notes) {
  if (notes.empty())
    return;
  out << "\n" << heading << "\n";
  for (const FolderAddResult::Note& note : notes) {
    const std::string path = EscapedPath(note.path);
    out << "  " << path << "\n";
    for (std::string message : note.messages) {
      if (path != note.path) {
        for (size_t at = message.find(note.path); at != std::string::npos;
             at = message.find(note.path, at + path.size())) {
          message.replace(at, note.path.size(), path);
        }
      }
      for (size_t pos = 0; pos < message.size();) {
        const std::string line(NextLine(message, pos));
        if (!TrimBlanks(line).empty() && line != path)
          out << "    " << line << "\n";
      }
    }
  }
}

}  // namespace

std::string FolderAddSummaryHead(const FolderAddResult& result) {
  std::ostringstream out;
  if (result.cancelled) {
    out << "Cancelled after " << result.filesDone << " of " << result.filesTotal
        << " files. What was added before stays added.\n";
  }
  out << "Added: " << Count(result.romsAdded, "ROM", "ROMs") << ", "
      << Count(result.patchesAdded, "patch", "patches") << ".\n";
  out << "Already in the database: " << Count(result.romsPresent, "ROM", "ROMs") << ", "
      << Count(result.patchesPresent, "patch", "patches") << ".\n";
  if (!result.needInformation.empty())
    out << "Patches that need their information: " << result.needInformation.size() << ".\n";
  if (!result.refused.empty())
    out << "Refused: " << Count(static_cast<int64_t>(result.refused.size()), "file", "files")
        << ".\n";
  if (!result.skipped.empty())
    out << "Skipped during the search: " << result.skipped.size() << ".\n";
  return out.str();
}

std::string FolderAddSummaryDetails(const FolderAddResult& result) {
  std::ostringstream out;
  AppendNotes(out, "Patches that need their information (add each with Add Patch... to enter it):",
              result.needInformation);
  AppendNotes(out, "Refused:", result.refused);
  AppendNotes(out, "Skipped during the search:", result.skipped);
  // Without the blank line that separates it from the head.
  std::string details = out.str();
  return details.empty() ? details : details.substr(1);
}

std::string FolderAddProgressText(const FolderAddProgress& progress) {
  if (progress.scanning)
    return "Searching: " + Count(progress.filesFound, "file", "files") + " found";
  char megabytes[64];
  std::snprintf(megabytes, sizeof megabytes, "%.1f of %.1f MB",
                static_cast<double>(progress.bytesDone) / 1e6,
                static_cast<double>(progress.bytesTotal) / 1e6);
  return "Adding: " + std::to_string(progress.filesDone) + " of " +
         Count(progress.filesTotal, "file", "files") + ", " + megabytes;
}
