#pragma once
// Text bytes as the documents mean them: UTF-8 where it is well formed,
// otherwise Windows-1252, the code page of an RTF document's \ansi. The PDF
// and picture writers and the window's preview read bytes through these, so
// a byte shows as the same character everywhere.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bq {

// The character of a Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control character
// of the same number, as Windows itself and web browsers read them: no byte
// is lost, and a font with a glyph at such a code still shows it.
std::uint32_t Windows1252Char(unsigned char b);

// The length of the well-formed UTF-8 sequence at bytes[i] (i < size), its
// code point in `cp`; 0 when there is none (a stray byte, an overlong form,
// a surrogate, a code point above U+10FFFF, a cut sequence).
std::size_t Utf8Sequence(std::string_view bytes, std::size_t i, char32_t& cp);

// `cp` in UTF-8 at the end of `out`.
void AppendUtf8(std::string& out, char32_t cp);

// The text bytes of a record as the RTF document shows them, for Pango:
// well-formed UTF-8 sequences stay, every other byte is read as
// Windows-1252, and control bytes below 0x20 become blanks.
std::string DocumentTextToUtf8(std::string_view bytes);

}  // namespace bq
