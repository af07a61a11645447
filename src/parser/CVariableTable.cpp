#include "parser/CVariableTable.h"

#include "parser/LineContext.h"
#include "parser/TextUtil.h"
#include "prompt/Diagnostics.h"

int CVariableTable::AddTarget(const std::string& name, VariableType type, void* target,
                              bool writtenWhenEmpty) {
  m_entries.push_back(std::make_unique<CVariable>(name, type, target, writtenWhenEmpty));
  return static_cast<int>(m_entries.size()) - 1;
}

CVariable* CVariableTable::FindVariable(const std::string& name) const {
  for (const auto& entry : m_entries) {
    if (EqualsNoCase(entry->Name(), name))
      return entry.get();
  }
  return nullptr;
}

bool CVariableTable::ExecuteStatement(const std::string& statement, bool quiet) {
  const size_t equals = statement.find('=');
  if (equals == std::string::npos) {
    if (!quiet && m_prompt) {
      ReportLineError(*m_prompt, ModuleLineContext(),
                      "Expression is not a valid assignment. Must be of form 'X=Y', as required "
                      "by current section label.");
    }
    return false;
  }
  const std::string name = statement.substr(0, equals);
  CVariable* variable = FindVariable(name);
  if (variable == nullptr) {
    if (!quiet && m_prompt) {
      ReportLineError(*m_prompt, ModuleLineContext(), "Variable '" + name + "' not defined.");
    }
    return false;
  }
  variable->AssignText(statement.substr(equals + 1));
  return true;
}

void CVariableTable::WriteVariables(std::string& sink) const {
  for (const auto& entry : m_entries) {
    const std::string value = entry->FormatValue();
    if (value.empty() && !entry->WrittenWhenEmpty())
      continue;
    sink += entry->Name();
    sink += '=';
    sink += value;
    sink += "\r\n";
  }
}
