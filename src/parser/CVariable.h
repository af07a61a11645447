#pragma once

#include <cstdint>
#include <string>

enum class VariableType : int32_t { Integer = 0, Boolean = 1, String = 2 };

/// One named, typed variable bound to storage that belongs to the caller.
class CVariable final {
 public:
  CVariable(std::string name, VariableType type, void* target, bool writtenWhenEmpty = true)
      : m_name(std::move(name)),
        m_type(type),
        m_target(target),
        m_writtenWhenEmpty(writtenWhenEmpty) {}

  const std::string& Name() const { return m_name; }
  VariableType Type() const { return m_type; }

  /// Converts the text to the variable's type and stores it in the bound storage.
  void AssignText(const std::string& text);
  /// The bound storage's current value as it is written to a file.
  std::string FormatValue() const;
  /// False for a setting newer than the file format: its line is left out while it is empty, so
  /// that a file that never had it is written back as it was.
  bool WrittenWhenEmpty() const { return m_writtenWhenEmpty; }

 private:
  std::string m_name;
  VariableType m_type;
  void* m_target;  // int32_t*, bool* or std::string*, by type; not owned
  bool m_writtenWhenEmpty;
};
