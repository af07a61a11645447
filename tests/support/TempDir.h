#pragma once

#include <functional>
#include <string>

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return m_path; }
  /// Path() + "/" + name.
  std::string File(const std::string& name) const;
  /// Writes a file below the folder and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  /// Writes a file at a full path, making its folders.
  static void WriteTo(const std::string& path, const std::string& bytes);

 private:
  std::string m_path;
};

std::string ReadFileBytes(const std::string& path);

/// Runs a command line through /bin/sh; returns its exit status and fills `output` with its
/// standard output (and standard error when `mergeErrors`).
int RunCommand(const std::string& commandLine, std::string* output = nullptr,
               bool mergeErrors = false);

/// Quotes a text for /bin/sh.
std::string ShellQuote(const std::string& text);

/// Runs `body` without the powers of root, so that file permissions count: as root in a child
/// process that has handed `folder` (with everything in it) to the user "nobody" and become that
/// user; otherwise here. Returns what `body` returns, 126 when the child could not change user.
int AsOrdinaryUser(const std::string& folder, const std::function<int()>& body);
