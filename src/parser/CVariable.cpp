#include "parser/CVariable.h"

#include <cctype>
#include <climits>
#include <cstdlib>

#include "parser/TextUtil.h"

namespace {

// The leading decimal integer of a text, as atoi reads it, clamped to 32 bits.
int32_t LeadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1)
      value = int64_t{INT32_MAX} + 1;
  }
  if (negative)
    value = -value;
  if (value > INT32_MAX)
    value = INT32_MAX;
  if (value < INT32_MIN)
    value = INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

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
