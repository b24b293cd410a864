#pragma once
// The text bytes of a record as the RTF document shows them, for Pango.
#include <cstdint>
#include <string>
#include <string_view>

namespace bq {

// Well-formed UTF-8 sequences stay; every other byte is read as
// Windows-1252 (the document's \ansi code page). Control bytes become
// blanks, bytes Windows-1252 leaves undefined U+FFFD.
std::string DocumentTextToUtf8(std::string_view bytes);

// The character of a Windows-1252 byte; 0 where the code page has none.
std::uint32_t Windows1252Char(unsigned char b);

}  // namespace bq
