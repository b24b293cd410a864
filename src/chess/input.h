#pragma once
// Character source for reading one EPD line: one character at a time with
// one character of look-ahead, a step back, an end test and a blank
// skipper. It knows no tokens; words are cut by the parser.
#include <cstddef>
#include <string_view>

namespace bq {

// Skipped by SkipBlanks. A tab is an ordinary character.
inline bool IsEPDBlank(char c) {
  return c == ' ' || c == '\r' || c == '\n';
}

class T_InputO {
 public:
  // The line ends at its first NUL. The text is viewed, not copied: it must
  // outlive the reading (the parser reads a line within one call).
  void OpenString(std::string_view text);
  void CloseInput();

  bool AtEnd() const { return pos_ >= text_.size(); }
  // At the end it gives NUL and stays there.
  char NextChar() { return AtEnd() ? '\0' : text_[pos_++]; }
  // The argument is not stored: the text supplies the character again.
  void UnreadChar(char) {
    if (pos_ > 0) --pos_;
  }
  // The character n - 1 places ahead; NUL past the end.
  char PeekChar(int n = 1) const {
    if (n < 1) return '\0';
    const std::size_t at = pos_ + static_cast<std::size_t>(n - 1);
    return at < text_.size() ? text_[at] : '\0';
  }
  // True when at least one blank was skipped.
  bool SkipBlanks();

  // Index of the next character (0-based) and the text being read.
  std::size_t Position() const { return pos_; }
  std::string_view Text() const { return text_; }
  // Continues at index `pos` (at most the end), for a reader that scanned
  // Text() itself.
  void Seek(std::size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace bq
