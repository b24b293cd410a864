#include "support/textcodec.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace bq {
namespace {

TEST(TextCodec, ReadsUtf8AndWindows1252AsTheDocumentShowsThem) {
  EXPECT_EQ(DocumentTextToUtf8("bm: Qd1+"), "bm: Qd1+");
  EXPECT_EQ(DocumentTextToUtf8("\xC3\xA9t\xE9"), "\xC3\xA9t\xC3\xA9");  // é as UTF-8, then 1252
  EXPECT_EQ(DocumentTextToUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
  // An undefined byte is the control character of its number.
  EXPECT_EQ(DocumentTextToUtf8("\x80\x81\x9F"), "\xE2\x82\xAC\xC2\x81\xC5\xB8");
  EXPECT_EQ(DocumentTextToUtf8(std::string("a\tb\0c", 5)), "a b c");
  // Not UTF-8, so read byte by byte: overlong, surrogate, above U+10FFFF, cut short.
  EXPECT_EQ(DocumentTextToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(DocumentTextToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
  EXPECT_EQ(DocumentTextToUtf8("\xF4\x90\x80\x80"), "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC");
  EXPECT_EQ(DocumentTextToUtf8("x\xF0\x9F"), "x\xC3\xB0\xC5\xB8");
}

TEST(TextCodec, EveryWindows1252ByteIsACharacterOfItsOwn) {
  std::set<std::uint32_t> seen;
  for (int b = 0; b < 256; ++b) seen.insert(Windows1252Char(static_cast<unsigned char>(b)));
  EXPECT_EQ(seen.size(), 256u);
  EXPECT_EQ(Windows1252Char(0x8D), 0x8Du);
  EXPECT_EQ(Windows1252Char(0x9C), 0x0153u);
}

}  // namespace
}  // namespace bq
