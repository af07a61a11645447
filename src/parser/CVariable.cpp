#include "parser/CVariable.h"

#include "parser/TextUtil.h"

void CVariable::AssignText(const std::string& text) {
  switch (m_type) {
    case VariableType::Integer:
      *static_cast<int32_t*>(m_target) = LeadingInteger(text);
      break;
    case VariableType::Boolean: {
      const std::string lower = AsciiLowerCopy(text);
      *static_cast<bool*>(m_target) = lower == "1" || lower == "true" || lower == "yes";
      break;
    }
    case VariableType::String:
      *static_cast<std::string*>(m_target) = text;
      break;
  }
}

std::string CVariable::FormatValue() const {
  switch (m_type) {
    case VariableType::Integer:
      return std::to_string(*static_cast<const int32_t*>(m_target));
    case VariableType::Boolean:
      return *static_cast<const bool*>(m_target) ? "1" : "0";
    case VariableType::String:
      return *static_cast<const std::string*>(m_target);
  }
  return {};
}
