#pragma once

#include <compare>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

class CFieldStore;

/// The text of a record's field. It reads like a std::string that is replaced rather than
/// changed in place: it converts to std::string_view and std::string, compares with texts, and
/// takes a new text by assignment.
///
/// It takes the room of one pointer. Its bytes, with their length in front, are either its own
/// or lent by the CFieldStore of the database that read them from its file, so that a large
/// collection costs about the memory of its file. A lent text stays with the record the
/// database made: copying or moving a field (or a record) out of it makes a text of its own.
class FieldText final {
 public:
  using size_type = std::size_t;
  static constexpr size_type npos = std::string_view::npos;

  FieldText() noexcept = default;
  // Explicit, so that `flag ? field : text` is a std::string rather than a question.
  explicit FieldText(std::string_view text) { Own(text); }
  explicit FieldText(const std::string& text) { Own(text); }
  FieldText(const char* text) { Own(text); }
  FieldText(const FieldText& other) { Own(other.view()); }
  FieldText(FieldText&& other);
  ~FieldText() { Release(); }

  FieldText& operator=(std::string_view text);
  FieldText& operator=(const std::string& text) { return *this = std::string_view(text); }
  FieldText& operator=(const char* text) { return *this = std::string_view(text); }
  FieldText& operator=(const FieldText& other) { return *this = other.view(); }
  FieldText& operator=(FieldText&& other);
  FieldText& operator+=(std::string_view text);

  std::string_view view() const {
    if (m_block == nullptr)
      return {};
    if (m_block[0] < 0x80)  // nearly always: a text shorter than 64 bytes
      return {reinterpret_cast<const char*>(m_block + 1), static_cast<size_t>(m_block[0] >> 1)};
    return LongView();
  }
  operator std::string_view() const { return view(); }
  operator std::string() const { return std::string(view()); }
  std::string str() const { return std::string(view()); }

  const char* data() const { return view().data(); }
  size_type size() const { return view().size(); }
  size_type length() const { return view().size(); }
  bool empty() const { return m_block == nullptr; }
  const char* begin() const { return data(); }
  const char* end() const { return data() + size(); }
  char operator[](size_type i) const { return view()[i]; }
  char front() const { return view().front(); }
  char back() const { return view().back(); }
  void clear() { Release(); }

  std::string substr(size_type pos = 0, size_type count = npos) const {
    return std::string(view().substr(pos, count));
  }
  size_type find(std::string_view text, size_type pos = 0) const { return view().find(text, pos); }
  size_type find(char c, size_type pos = 0) const { return view().find(c, pos); }
  size_type rfind(std::string_view text, size_type pos = npos) const {
    return view().rfind(text, pos);
  }
  size_type rfind(char c, size_type pos = npos) const { return view().rfind(c, pos); }
  size_type find_first_of(std::string_view chars, size_type pos = 0) const {
    return view().find_first_of(chars, pos);
  }
  size_type find_last_of(std::string_view chars, size_type pos = npos) const {
    return view().find_last_of(chars, pos);
  }
  bool starts_with(std::string_view text) const { return view().starts_with(text); }
  bool ends_with(std::string_view text) const { return view().ends_with(text); }
  int compare(std::string_view text) const { return view().compare(text); }

  friend bool operator==(const FieldText& a, const FieldText& b) { return a.view() == b.view(); }
  friend bool operator==(const FieldText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const FieldText& a, const std::string& b) { return a.view() == b; }
  friend bool operator==(const FieldText& a, const char* b) { return a.view() == b; }
  friend std::strong_ordering operator<=>(const FieldText& a, const FieldText& b) {
    return a.view() <=> b.view();
  }
  friend std::strong_ordering operator<=>(const FieldText& a, std::string_view b) {
    return a.view() <=> b;
  }
  friend std::strong_ordering operator<=>(const FieldText& a, const std::string& b) {
    return a.view() <=> std::string_view(b);
  }
  friend std::strong_ordering operator<=>(const FieldText& a, const char* b) {
    return a.view() <=> std::string_view(b);
  }

 private:
  friend class CFieldStore;
  // A block begins with its length times two, plus one when the block is the field's own, in
  // base-128 digits, lowest first, the high bit set on all but the last.
  static size_t BlockSize(size_t length);
  static unsigned char* WriteBlock(unsigned char* out, std::string_view text, bool own);

  std::string_view LongView() const;
  bool IsOwn() const;
  void Own(std::string_view text);
  void Release();

  const unsigned char* m_block = nullptr;  // nullptr for the empty text
};

std::string operator+(std::string a, const FieldText& b);
std::string operator+(const char* a, const FieldText& b);
std::string operator+(const FieldText& a, const FieldText& b);
std::string operator+(const FieldText& a, std::string_view b);
std::string operator+(const FieldText& a, const std::string& b);
std::string operator+(const FieldText& a, const char* b);
std::string operator+(const FieldText& a, char b);
std::string operator+(char a, const FieldText& b);
std::ostream& operator<<(std::ostream& out, const FieldText& text);
