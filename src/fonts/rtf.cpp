#include "fonts/rtf.h"

#include <array>
#include <charconv>

#include "support/textcodec.h"

namespace bq {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// Bytes a glyph line cannot carry as they are. Control bytes too: readers
// drop a raw CR or LF and most other codes below 32, so such a glyph would
// vanish from the board.
constexpr std::array<bool, 256> kGlyphEscaped = [] {
  std::array<bool, 256> t{};
  for (int b = 0; b < 32; ++b) t[b] = true;
  for (int b = 128; b < 256; ++b) t[b] = true;
  t['{'] = t['}'] = t['\\'] = true;
  return t;
}();

// Text bytes copied as they are: printable ASCII (and DEL) apart from the
// three RTF specials.
constexpr std::array<bool, 256> kTextPlain = [] {
  std::array<bool, 256> t{};
  for (int b = 32; b < 128; ++b) t[b] = true;
  t['{'] = t['}'] = t['\\'] = false;
  return t;
}();

// "\uN?" with N the UTF-16 unit as a signed 16-bit number, as RTF readers
// expect.
void AppendUnicodeUnit(std::string& out, std::uint32_t unit) {
  char buf[16] = {'\\', 'u'};
  const int value = unit >= 0x8000 ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit);
  char* end = std::to_chars(buf + 2, buf + sizeof buf - 1, value).ptr;
  *end++ = '?';
  out.append(buf, static_cast<std::size_t>(end - buf));
}

void AppendHexEscape(std::string& out, unsigned char b) {
  const char e[4] = {'\\', '\'', kHex[b >> 4], kHex[b & 15]};
  out.append(e, 4);
}

}  // namespace

std::string RTFHeader(std::string_view font0, std::string_view font1, std::string_view diagFont,
                      std::int32_t diagCharset, std::string_view figurineFont) {
  // Font names come from settings and font files: escaped like any text, so
  // that a brace or backslash in a name cannot break the font table.
  std::string h;
  h.reserve(112 + font0.size() + font1.size() + diagFont.size());
  h.append("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 ");
  AppendRTFText(h, font0);
  h.append(";}{\\f1\\froman\\fcharset0 ");
  AppendRTFText(h, font1);
  h.append(";}{\\f2\\fswiss\\fcharset").append(std::to_string(diagCharset));
  h.append("\\fprq2 ");
  AppendRTFText(h, diagFont);
  h.append(";}");
  if (!figurineFont.empty()) {
    h.append("{\\f3\\fswiss\\fcharset0 ");
    AppendRTFText(h, figurineFont);
    h.append(";}");
  }
  h.append("}");
  return h;
}

void AppendRTFGlyphs(std::string& out, std::string_view glyphs) {
  for (const char c : glyphs) {
    if (kGlyphEscaped[static_cast<unsigned char>(c)])
      AppendHexEscape(out, static_cast<unsigned char>(c));
    else
      out.push_back(c);
  }
}

std::string EscapeRTFGlyphs(std::string_view glyphs) {
  std::string out;
  AppendRTFGlyphs(out, glyphs);
  return out;
}

void AppendRTFText(std::string& out, std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = i;
    while (i < n && kTextPlain[s[i]]) ++i;
    if (i > run) out.append(text.data() + run, i - run);
    if (i >= n) break;

    const unsigned char b = s[i];
    if (b == '\\' || b == '{' || b == '}') {
      const char e[2] = {'\\', static_cast<char>(b)};
      out.append(e, 2);
      ++i;
      continue;
    }
    char32_t cp = 0;
    if (const std::size_t len = b >= 0xC2 ? Utf8Sequence(text, i, cp) : 0; len != 0) {
      if (cp > 0xFFFF) {
        const std::uint32_t v = cp - 0x10000;
        AppendUnicodeUnit(out, 0xD800 + (v >> 10));
        AppendUnicodeUnit(out, 0xDC00 + (v & 0x3FF));
      } else {
        AppendUnicodeUnit(out, cp);
      }
      i += len;
      continue;
    }
    AppendHexEscape(out, b);
    ++i;
  }
}

std::string EscapeRTFText(std::string_view text) {
  std::string out;
  AppendRTFText(out, text);
  return out;
}

}  // namespace bq
