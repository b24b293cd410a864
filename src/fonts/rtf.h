#pragma once
// The RTF frame of a document and the escaping of its texts.
#include <cstdint>
#include <string>
#include <string_view>

namespace bq {

// Font names are escaped as by AppendRTFText. A figurine font, when
// given, is font 3.
std::string RTFHeader(std::string_view font0, std::string_view font1, std::string_view diagFont,
                      std::int32_t diagCharset, std::string_view figurineFont = {});
inline std::string RTFFooter() {
  return "}";
}

// Glyph lines: bytes below 32 or >= 128 and "{", "}", "\" become \'hh
// (upper-case hex); other bytes stay.
void AppendRTFGlyphs(std::string& out, std::string_view glyphs);
std::string EscapeRTFGlyphs(std::string_view glyphs);

// Operation names and operands: "\" "{" "}" get a backslash; valid UTF-8
// sequences become \uN? (surrogate pairs above U+FFFF); other bytes >= 128
// and bytes < 32 become \'hh; other bytes stay.
void AppendRTFText(std::string& out, std::string_view text);
std::string EscapeRTFText(std::string_view text);

}  // namespace bq
