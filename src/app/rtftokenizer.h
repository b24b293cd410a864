#pragma once
// Cuts RTF text into tokens: braces, control words with their parameter,
// control symbols, \'hh escapes, \bin data and runs of plain text. It knows
// no control word but \bin, whose data would otherwise be read as RTF.
#include <cstddef>
#include <string_view>

namespace bq {

enum class TRTFTokenKind {
  End,  // no more input
  GroupStart,
  GroupEnd,
  Word,       // Text: the name (at most 32 letters); HasParam, Param
  Symbol,     // Byte: the character after the backslash
  Hex,        // Byte: the value of \'hh
  BrokenHex,  // \' not followed by two hex digits
  Binary,     // Text: the data of \binN
  BadBinary,  // \binN with fewer than N bytes left
  Text,       // Text: bytes up to the next backslash or brace
};

struct TRTFToken {
  TRTFTokenKind Kind = TRTFTokenKind::End;
  std::string_view Text;
  int Param = 0;  // saturated to the range of int
  bool HasParam = false;
  unsigned char Byte = 0;
};

class TRTFTokenizer {
 public:
  explicit TRTFTokenizer(std::string_view text) : s_(text) {}

  TRTFToken Next();

 private:
  TRTFToken Escape();
  TRTFToken HexEscape();
  TRTFToken ControlWord();

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace bq
