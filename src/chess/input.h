#pragma once
// Character source for reading one EPD line: one character at a time with
// one character of look-ahead, a step back, an end test and a blank
// skipper. It knows no tokens; words are cut by the parser, which may also
// scan the text itself from Here() and continue with MoveTo().
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace bq {

// Skipped by SkipBlanks. A tab is an ordinary character.
inline bool IsEPDBlank(char c) {
  return c == ' ' || c == '\r' || c == '\n';
}

class T_InputO {
 public:
  // The text is copied and ends at its first NUL. The copy is followed by
  // kPadding NULs, so that a reader may look 8 bytes ahead of any
  // character and needs no end test besides the NUL.
  static constexpr std::size_t kPadding = 8;
  T_InputO() { small_[0] = '\0'; }
  T_InputO(const T_InputO&) = delete;
  T_InputO& operator=(const T_InputO&) = delete;

  void OpenString(std::string_view text) {
    char* copy = small_.data();
    if (text.size() + kPadding > small_.size()) {
      long_.assign(text.size() + kPadding, '\0');
      copy = long_.data();
    }
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    std::memset(copy + text.size(), 0, kPadding);
    begin_ = p_ = copy;
  }
  void CloseInput() { OpenString({}); }

  bool AtEnd() const { return *p_ == '\0'; }
  // At the end it gives NUL and stays there.
  char NextChar() { return AtEnd() ? '\0' : *p_++; }
  // The argument is not stored: the text supplies the character again.
  void UnreadChar(char) {
    if (p_ != begin_) --p_;
  }
  // The character n - 1 places ahead; NUL past the end.
  char PeekChar(int n = 1) const {
    for (const char* p = p_; n >= 1 && *p != '\0'; ++p, --n)
      if (n == 1) return *p;
    return '\0';
  }
  // True when at least one blank was skipped.
  bool SkipBlanks() {
    const char* const from = p_;
    while (IsEPDBlank(*p_)) ++p_;
    return p_ != from;
  }

  // Index of the next character (0-based) and the text being read.
  std::size_t Position() const { return static_cast<std::size_t>(p_ - begin_); }
  std::string_view Text() const { return begin_; }
  const char* Here() const { return p_; }
  void MoveTo(const char* p) { p_ = p; }

 private:
  std::array<char, 256> small_;  // most lines; longer ones go to long_
  std::string long_;
  const char* begin_ = small_.data();
  const char* p_ = begin_;
};

}  // namespace bq
