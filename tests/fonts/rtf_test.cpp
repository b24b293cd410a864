#include "fonts/rtf.h"

#include <gtest/gtest.h>

#include <string>

namespace bq {
namespace {

using namespace std::string_literals;

TEST(RTFHeader, ThreeFontTable) {
  EXPECT_EQ(RTFHeader("Arial", "Arial", "Chess Merida", 2),
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 "
            "Arial;}{\\f2\\fswiss\\fcharset2\\fprq2 Chess Merida;}}");
  EXPECT_NE(RTFHeader("A", "B", "C", -1).find("{\\f2\\fswiss\\fcharset-1\\fprq2 C;}}"),
            std::string::npos);
  EXPECT_EQ(RTFHeader("", "", "", 0),
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 ;}{\\f1\\froman\\fcharset0 ;}"
            "{\\f2\\fswiss\\fcharset0\\fprq2 ;}}");
}

TEST(RTFHeader, FontNamesCannotBreakTheFontTable) {
  // Names come from the settings file and the font file, which may hold anything.
  EXPECT_EQ(RTFHeader("A}{\\b", "x\\par", "Chess\x01\xC3\xA9", 0),
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 A\\}\\{\\\\b;}"
            "{\\f1\\froman\\fcharset0 x\\\\par;}{\\f2\\fswiss\\fcharset0\\fprq2 "
            "Chess\\'01\\u233?;}}");
}

TEST(RTFGlyphs, Escaping) {
  EXPECT_EQ(EscapeRTFGlyphs("rnbqkbnr"), "rnbqkbnr");
  EXPECT_EQ(EscapeRTFGlyphs("{}\\"), "\\'7B\\'7D\\'5C");
  EXPECT_EQ(EscapeRTFGlyphs("\xFF\x80\x7F"), "\\'FF\\'80\x7F");
  EXPECT_EQ(EscapeRTFGlyphs("4+.+.\xA1.+.5"), "4+.+.\\'A1.+.5");
  // Control bytes too: readers drop raw ones, and the glyph would vanish.
  EXPECT_EQ(EscapeRTFGlyphs("\x01\x00\t\r\n\x1F "s), "\\'01\\'00\\'09\\'0D\\'0A\\'1F ");
  EXPECT_EQ(EscapeRTFGlyphs(""), "");
}

TEST(RTFGlyphs, EscapeFoundAtAnyPosition) {
  // Lines are scanned in words of eight bytes; an escape must be found in
  // any of them and at any offset.
  for (std::size_t len = 1; len <= 20; ++len) {
    for (std::size_t at = 0; at < len; ++at) {
      for (const char c : {'{', '}', '\\', '\x80', '\xFF', '\xDB', '\x01', '\n', '\x1F'}) {
        std::string line(len, 'z');
        line[at] = c;
        const char hex[] = "0123456789ABCDEF";
        const auto b = static_cast<unsigned char>(c);
        const std::string expected = std::string(at, 'z') + "\\'" + hex[b >> 4] + hex[b & 15] +
                                     std::string(len - at - 1, 'z');
        ASSERT_EQ(EscapeRTFGlyphs(line), expected) << len << " " << at << " " << int(b);
      }
    }
  }
  // Bytes next to the specials do not count as them.
  EXPECT_EQ(EscapeRTFGlyphs("[]|z{|]~[}}"), "[]|z\\'7B|]~[\\'7D\\'7D");
  EXPECT_EQ(EscapeRTFGlyphs("\x7A\x7C\x7E\x5B\x5D\x7F\x3C\x20\x7A"),
            "\x7A\x7C\x7E\x5B\x5D\x7F\x3C\x20\x7A");
}

TEST(RTFGlyphs, AppendKeepsWhatIsThere) {
  std::string out = "\\par ";
  AppendRTFGlyphs(out, "\xE8x");
  AppendRTFGlyphs(out, "");
  AppendRTFGlyphs(out, "ab");
  EXPECT_EQ(out, "\\par \\'E8xab");
}

TEST(RTFText, SpecialsAndControls) {
  EXPECT_EQ(EscapeRTFText("c0 \"{m} a\\b\";"), "c0 \"\\{m\\} a\\\\b\";");
  EXPECT_EQ(EscapeRTFText("a\tb\r\n"), "a\\'09b\\'0D\\'0A");
  EXPECT_EQ(EscapeRTFText("\x00\x1F\x7F~"s), "\\'00\\'1F\x7F~");
  EXPECT_EQ(EscapeRTFText(""), "");
}

TEST(RTFText, ValidUtf8BecomesUnicodeEscapes) {
  EXPECT_EQ(EscapeRTFText("\xC3\xA9"), "\\u233?");                      // U+00E9
  EXPECT_EQ(EscapeRTFText("\xC2\x80"), "\\u128?");                      // smallest 2-byte
  EXPECT_EQ(EscapeRTFText("\xE2\x82\xAC"), "\\u8364?");                 // U+20AC
  EXPECT_EQ(EscapeRTFText("\xE7\xBF\xBF"), "\\u32767?");                // U+7FFF
  EXPECT_EQ(EscapeRTFText("\xE8\x80\x80"), "\\u-32768?");               // U+8000
  EXPECT_EQ(EscapeRTFText("\xEF\xBF\xBD"), "\\u-3?");                   // U+FFFD
  EXPECT_EQ(EscapeRTFText("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");  // U+1F600
  EXPECT_EQ(EscapeRTFText("\xF0\x90\x80\x80"), "\\u-10240?\\u-9216?");  // U+10000
  EXPECT_EQ(EscapeRTFText("\xF4\x8F\xBF\xBF"), "\\u-9217?\\u-8193?");   // U+10FFFF
  EXPECT_EQ(EscapeRTFText("Tal \xE2\x80\x93 Fischer"), "Tal \\u8211? Fischer");
}

TEST(RTFText, MalformedUtf8BytesAreHexEscaped) {
  EXPECT_EQ(EscapeRTFText("\x80"), "\\'80");                             // lone continuation
  EXPECT_EQ(EscapeRTFText("\xC0\xAF"), "\\'C0\\'AF");                    // overlong
  EXPECT_EQ(EscapeRTFText("\xC1\xBF"), "\\'C1\\'BF");                    // overlong
  EXPECT_EQ(EscapeRTFText("\xE0\x80\xAF"), "\\'E0\\'80\\'AF");           // overlong 3-byte
  EXPECT_EQ(EscapeRTFText("\xF0\x8F\xBF\xBF"), "\\'F0\\'8F\\'BF\\'BF");  // overlong 4-byte
  EXPECT_EQ(EscapeRTFText("\xED\xA0\x80"), "\\'ED\\'A0\\'80");           // surrogate
  EXPECT_EQ(EscapeRTFText("\xF4\x90\x80\x80"), "\\'F4\\'90\\'80\\'80");  // above U+10FFFF
  EXPECT_EQ(EscapeRTFText("\xF5\xFF"), "\\'F5\\'FF");
  EXPECT_EQ(EscapeRTFText("\xE2\x82"), "\\'E2\\'82");    // truncated at end
  EXPECT_EQ(EscapeRTFText("\xE2\x82x"), "\\'E2\\'82x");  // truncated mid-text
  EXPECT_EQ(EscapeRTFText("\xC3{"), "\\'C3\\{");
  // A bad lead byte does not swallow the valid sequence after it.
  EXPECT_EQ(EscapeRTFText("\xE9\xC3\xA9"), "\\'E9\\u233?");
}

TEST(RTFText, AppendKeepsWhatIsThere) {
  std::string out = "id: ";
  AppendRTFText(out, "\"M\xC3\xBCller {1}\"");
  EXPECT_EQ(out, "id: \"M\\u252?ller \\{1\\}\"");
}

}  // namespace
}  // namespace bq
