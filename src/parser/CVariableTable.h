#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "parser/CVariable.h"
#include "prompt/UserPrompt.h"

/// Typed variables bound to storage, set by X=Y statements and written back as Name=Value lines.
class CVariableTable final {
 public:
  /// `prompt` receives the line errors of statements that are not executed quietly.
  explicit CVariableTable(UserPrompt* prompt = nullptr) : m_prompt(prompt) {}

  void SetPrompt(UserPrompt* prompt) { m_prompt = prompt; }

  /// Appends an entry; returns its index. The storage must outlive the table.
  /// `writtenWhenEmpty` false leaves the line out of WriteVariables while the value is empty.
  int AddVariable(const std::string& name, VariableType type, int32_t* target,
                  bool writtenWhenEmpty = true) {
    return AddTarget(name, type, target, writtenWhenEmpty);
  }
  int AddVariable(const std::string& name, VariableType type, bool* target,
                  bool writtenWhenEmpty = true) {
    return AddTarget(name, type, target, writtenWhenEmpty);
  }
  int AddVariable(const std::string& name, VariableType type, std::string* target,
                  bool writtenWhenEmpty = true) {
    return AddTarget(name, type, target, writtenWhenEmpty);
  }
  /// Storage of any other type cannot be bound: it would be written as one of these.
  template <class T>
  int AddVariable(const std::string& name, VariableType type, T* target,
                  bool writtenWhenEmpty = true) = delete;
  /// The first entry whose name equals `name` ignoring ASCII letter case, or nullptr.
  CVariable* FindVariable(const std::string& name) const;
  /// Runs one X=Y statement; true when a variable was assigned. Unless quiet, a failure is
  /// reported as a line error quoting the parser's module-wide line context.
  bool ExecuteStatement(const std::string& statement, bool quiet);
  /// Appends "Name=Value\r\n" for every entry, in registration order (save empty ones that ask
  /// not to be written).
  void WriteVariables(std::string& sink) const;

  int GetCount() const { return static_cast<int>(m_entries.size()); }
  CVariable* GetAt(int index) const { return m_entries.at(index).get(); }
  void Clear() { m_entries.clear(); }

 private:
  int AddTarget(const std::string& name, VariableType type, void* target, bool writtenWhenEmpty);

  std::vector<std::unique_ptr<CVariable>> m_entries;
  UserPrompt* m_prompt;
};
