#include "db/FieldText.h"

#include <cstring>
#include <ostream>

size_t FieldText::BlockSize(size_t length) {
  size_t size = 1;
  for (size_t head = length >> 6; head != 0; head >>= 7)
    ++size;
  return size + length;
}

unsigned char* FieldText::WriteBlock(unsigned char* out, std::string_view text, bool own) {
  size_t head = text.size() * 2 + (own ? 1 : 0);
  while (head >= 0x80) {
    *out++ = static_cast<unsigned char>(head | 0x80);
    head >>= 7;
  }
  *out++ = static_cast<unsigned char>(head);
  if (!text.empty())
    std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

namespace {

// The head of a block: its value, and where the text begins.
size_t ReadHead(const unsigned char*& p) {
  size_t value = 0;
  int shift = 0;
  while (*p >= 0x80) {
    value |= static_cast<size_t>(*p++ & 0x7F) << shift;
    shift += 7;
  }
  value |= static_cast<size_t>(*p++) << shift;
  return value;
}

}  // namespace

std::string_view FieldText::LongView() const {
  const unsigned char* p = m_block;
  const size_t head = ReadHead(p);
  return {reinterpret_cast<const char*>(p), head >> 1};
}

bool FieldText::IsOwn() const {
  const unsigned char* p = m_block;
  return m_block != nullptr && (ReadHead(p) & 1) != 0;
}

void FieldText::Own(std::string_view text) {
  if (text.empty()) {
    m_block = nullptr;
    return;
  }
  auto* block = new unsigned char[BlockSize(text.size())];
  WriteBlock(block, text, true);
  m_block = block;
}

void FieldText::Release() {
  if (IsOwn())
    delete[] m_block;
  m_block = nullptr;
}

FieldText::FieldText(FieldText&& other) {
  if (other.IsOwn()) {
    m_block = other.m_block;
    other.m_block = nullptr;
  } else {
    Own(other.view());
  }
}

FieldText& FieldText::operator=(std::string_view text) {
  FieldText made(text);  // before letting go: `text` may be this field's own bytes
  Release();
  m_block = made.m_block;
  made.m_block = nullptr;
  return *this;
}

FieldText& FieldText::operator=(FieldText&& other) {
  if (this == &other)
    return *this;
  if (!other.IsOwn())
    return *this = other.view();
  Release();
  m_block = other.m_block;
  other.m_block = nullptr;
  return *this;
}

FieldText& FieldText::operator+=(std::string_view text) {
  return *this = std::string_view(*this + text);
}

std::string operator+(std::string a, const FieldText& b) {
  a += b.view();
  return a;
}

std::string operator+(const char* a, const FieldText& b) {
  return std::string(a) + b;
}

std::string operator+(const FieldText& a, const FieldText& b) {
  return a + b.view();
}

std::string operator+(const FieldText& a, std::string_view b) {
  std::string out;
  out.reserve(a.size() + b.size());
  out += a.view();
  out += b;
  return out;
}

std::string operator+(const FieldText& a, const std::string& b) {
  return a + std::string_view(b);
}

std::string operator+(const FieldText& a, const char* b) {
  return a + std::string_view(b);
}

std::string operator+(const FieldText& a, char b) {
  return a + std::string_view(&b, 1);
}

std::string operator+(char a, const FieldText& b) {
  std::string out(1, a);
  out += b.view();
  return out;
}

std::ostream& operator<<(std::ostream& out, const FieldText& text) {
  return out << text.view();
}
