// Font description files that are huge or not text at all still give a
// catalogue, never a crash.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "../support/temp_dir.h"
#include "fonts/catalogue.h"

namespace bq {
namespace {

class FontFile {
 public:
  explicit FontFile(const std::string& text) { std::ofstream(path(), std::ios::binary) << text; }
  std::string path() const { return dir_ / "ChsFonts.ini"; }

 private:
  const testing::TempDir dir_;
};

TEST(HostileFontFile, FiftyMegabytes) {
  // One font whose section repeats a key four million times, then a 10 MB
  // comment line: the first value counts, the rest is read past.
  std::string text = "[Chess Fonts]\nFonts=2\nFont1=A\nFont2=B\n[A]\nBlank_W=65\n";
  text.reserve(52 << 20);
  while (text.size() < (40 << 20)) text += "Blank_W=32\n";
  text += "; " + std::string(10 << 20, 'x') + "\n[B]\nBlank_B=66\n";
  const FontFile file(text);
  const TChessFontInfoMan fonts(file.path(), nullptr);
  ASSERT_EQ(fonts.FontCount(), 2);
  EXPECT_EQ(fonts.GetFontInfo(1).Blank[0], 65);
  EXPECT_EQ(fonts.GetFontInfo(2).Blank[1], 66);
}

TEST(HostileFontFile, BinaryGarbage) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    std::string text = round % 2 ? "[Chess Fonts]\nFonts=3\nFont1=A\n[A]\n" : "";
    for (int i = 0; i < 20000; ++i) text += static_cast<char>(rng());
    const FontFile file(text);
    const TChessFontInfoMan fonts(file.path(), nullptr);
    for (int i = 1; i <= fonts.FontCount(); ++i) EXPECT_LE(fonts.FontIndex(fonts.FontName(i)), i);
  }
}

}  // namespace
}  // namespace bq
