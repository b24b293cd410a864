#include "fonts/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "support/profile.h"

namespace bq {
namespace {

// A description file in a temporary folder of its own.
class TempIni {
 public:
  explicit TempIni(const std::string& text) { std::ofstream(path(), std::ios::binary) << text; }
  std::string path() const { return dir_ / "ChsFonts.ini"; }

 private:
  const testing::TempDir dir_;
};

const std::vector<std::string> kInstalled = {"Default", "Chess Merida", "Other Font"};

const char kCoords[] =
    "BorderW1=1\nBorderW2=2\nBorderW3=3\nBorderW4=4\nBorderW5=5\nBorderW6=6\nBorderW7=7\n"
    "BorderW8=8\nBorderS1=11\nBorderS2=12\nBorderS3=13\nBorderS4=14\nBorderS5=15\nBorderS6=16\n"
    "BorderS7=17\nBorderS8=18\n";
const char kFrame[] =
    "BorderNW=49\nBorderN=50\nBorderNE=51\nBorderW=52\nBorderE=53\nBorderSW=55\nBorderS=56\n";

ChessFontInfoRec LoadOne(const std::string& section) {
  TempIni ini("[Chess Fonts]\nFonts=1\nFont1=Chess Merida\n[Chess Merida]\n" + section);
  TChessFontInfoMan man(ini.path(), &kInstalled);
  EXPECT_EQ(man.FontCount(), 1);
  return man.GetFontInfo(1);
}

std::vector<std::string> Names(const TChessFontInfoMan& man) {
  std::vector<std::string> names;
  for (int i = 1; i <= man.FontCount(); ++i) names.push_back(man.FontName(i));
  return names;
}

TEST(ParseGlyphValue, Forms) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {{"\\k", 107},
                                                                   {"\\kq", 107},
                                                                   {"\\", 0},
                                                                   {"\\\xE8", 232},
                                                                   {"$6B", 107},
                                                                   {"$6b", 107},
                                                                   {"$6G", 0},
                                                                   {"$", 0},
                                                                   {"$-1", 0},
                                                                   {"107", 107},
                                                                   {"0x6B", 107},
                                                                   {"x6B", 107},
                                                                   {"-5", -5},
                                                                   {"abc", 0},
                                                                   {"", 0},
                                                                   {"12abc", 0},
                                                                   {"$7FFFFFFF", 2147483647},
                                                                   {"$80000000", 0},
                                                                   {"$FFFFFFFFFFFFFFFF6B", 0},
                                                                   {"$00000000000000006B", 107},
                                                                   {"99999999999", 0}};
  for (const auto& [text, code] : cases) EXPECT_EQ(ParseGlyphValue(text), code) << text;
}

TEST(Catalogue, MissingOrUnreadableFileIsEmpty) {
  for (const char* path : {"/nonexistent/ChsFonts.ini", "", "/", "/dev/null"}) {
    TChessFontInfoMan man(path, &kInstalled);
    EXPECT_EQ(man.FontCount(), 0) << path;
    EXPECT_EQ(man.FontIndex("Chess Merida"), -1);
    EXPECT_EQ(man.FontCharset("Chess Merida"), 0);
    const ChessFontInfoRec r = man.GetFontInfoByName("Chess Merida");
    EXPECT_TRUE(r.Name.empty() && r.Blank[0] == 0 && r.Pieces[6][0][1] == 0 && !r.Diagram &&
                !r.Text && !r.FullBorder && !r.CoordinatesPossible);
  }
}

TEST(Catalogue, ListingRules) {
  for (const char* fonts : {"0", "-3", "abc", "", "2147483648"}) {
    TempIni ini(std::string("[Chess Fonts]\nFonts=") + fonts + "\nFont1=Chess Merida\n");
    EXPECT_EQ(TChessFontInfoMan(ini.path(), &kInstalled).FontCount(), 0) << fonts;
  }
  // Gaps, fonts not installed, keys beyond the count and with leading zeros.
  TempIni gaps(
      "[chess fonts]\nFONTS=$4\nFont1=Chess Merida\nFont3=Other Font\nFont4=Not Installed\n"
      "Font5=Chess Merida\nFont03=Chess Merida\n");
  EXPECT_EQ(Names(TChessFontInfoMan(gaps.path(), &kInstalled)),
            (std::vector<std::string>{"Chess Merida", "Other Font"}));
  // Without an installed list every listed font stays, but a missing key is
  // no font.
  EXPECT_EQ(Names(TChessFontInfoMan(gaps.path(), nullptr)),
            (std::vector<std::string>{"Chess Merida", "Other Font", "Not Installed"}));
}

// The names a status check compares with: every listed spelling once,
// installed or not; nothing for a missing file.
TEST(Catalogue, DescribedFontNames) {
  TempIni ini(
      "[Chess Fonts]\nFonts=4\nFont2=Not Installed\nFont1=Chess Merida\nFont3=chess merida\n"
      "Font4=Chess Merida\nFont5=Beyond\n");
  EXPECT_EQ(DescribedFontNames(ini.path()),
            (std::vector<std::string>{"Chess Merida", "Not Installed", "chess merida"}));
  EXPECT_TRUE(DescribedFontNames("/nonexistent/ChsFonts.ini").empty());
}

TEST(Catalogue, MembershipIgnoresCaseLookupsAreExact) {
  TempIni ini(
      "[Chess Fonts]\nFonts=3\nFont1=chess merida\nFont2=Chess Merida\nFont3=chess merida\n"
      "[CHESS MERIDA]\nBlank_W=\\a\nCharset=7\n");
  TChessFontInfoMan man(ini.path(), &kInstalled);
  EXPECT_EQ(Names(man), (std::vector<std::string>{"chess merida", "Chess Merida", "chess merida"}));
  EXPECT_EQ(man.FontIndex("chess merida"), 1);
  EXPECT_EQ(man.FontIndex("Chess Merida"), 2);
  EXPECT_EQ(man.FontIndex("CHESS MERIDA"), -1);
  EXPECT_EQ(man.FontIndex("Chess Merida "), -1);
  // Every spelling reads the one section.
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(man.GetFontInfo(i).Blank[0], 'a');
  EXPECT_EQ(man.GetFontInfoByName("Chess Merida").Name, "Chess Merida");
  EXPECT_EQ(man.FontCharset("Chess Merida"), 7);
  EXPECT_EQ(man.FontCharset("CHESS MERIDA"), 0);
  EXPECT_EQ(&man.FontInfoRef("Chess Merida"), &man.FontInfoRef("Chess Merida"));
}

TEST(Catalogue, DefaultsAndFlags) {
  ChessFontInfoRec r = LoadOne("");
  EXPECT_EQ(r.Charset, 2);
  EXPECT_TRUE(r.Text && r.Diagram);
  EXPECT_FALSE(r.Figurines || r.Symbols || r.FullBorder || r.CoordinatesPossible);

  EXPECT_TRUE(LoadOne("Diagram=yes\n").Diagram);  // unreadable: the default 1
  EXPECT_FALSE(LoadOne("Diagram=2\n").Diagram);
  EXPECT_TRUE(LoadOne("Diagram= $1 \n").Diagram);
  EXPECT_EQ(LoadOne("Charset=x10\n").Charset, 16);
  EXPECT_EQ(LoadOne("Charset=-1\n").Charset, -1);
  EXPECT_EQ(LoadOne("Charset=\n").Charset, 2);

  // Diagram=0 keeps the font, usable by name.
  r = LoadOne("Diagram=0\nBlank_B=43\n");
  EXPECT_FALSE(r.Diagram);
  EXPECT_EQ(r.Blank[1], 43);
}

TEST(Catalogue, GlyphKeysLandInTheirSlots) {
  const ChessFontInfoRec r = LoadOne(
      "Blank_W=32\nBlank_B=$2B\nWhiteKing_B=\\K\nWhiteKing_W=107\nBlackPawn_W=111\n"
      "BlackPawn_B=79\nWhiteKnight_W=110\nBlackQueen_B=87\nWhiteKing=1\nBlackPawn=2\n"
      "Figurines=1\nSymbols=1\nAimedAgainst=\\a\nzugzwang=200\nUnclear=0\n");
  EXPECT_EQ(r.Blank, (std::array<std::int32_t, 3>{32, 43, 0}));
  EXPECT_EQ(r.Pieces[6][0][1], 'K');
  EXPECT_EQ(r.Pieces[6][0][0], 107);
  EXPECT_EQ(r.Pieces[1][1][0], 111);
  EXPECT_EQ(r.Pieces[1][1][1], 79);
  EXPECT_EQ(r.Pieces[2][0][0], 110);
  EXPECT_EQ(r.Pieces[5][1][1], 87);
  EXPECT_TRUE(r.Figurines);
  EXPECT_EQ(r.FigurineGlyphs[6][0], 1);
  EXPECT_EQ(r.FigurineGlyphs[1][1], 2);
  EXPECT_TRUE(r.Symbols);
  EXPECT_STREQ(kSymbolNames[47], "Zugzwang");
  EXPECT_TRUE(r.SymbolGlyphs[1].Present && r.SymbolGlyphs[1].Glyph == 'a');
  EXPECT_TRUE(r.SymbolGlyphs[47].Present && r.SymbolGlyphs[47].Glyph == 200);
  EXPECT_FALSE(r.SymbolGlyphs[37].Present);  // Unclear=0
  EXPECT_FALSE(r.SymbolGlyphs[0].Present);
}

TEST(Catalogue, BorderAndCoordinateFlags) {
  ChessFontInfoRec r = LoadOne(std::string(kFrame) + "BorderSE=57\n" + kCoords);
  EXPECT_TRUE(r.FullBorder && r.CoordinatesPossible);
  EXPECT_EQ(r.CoordBorderNW, 49);  // no key: the plain corner
  EXPECT_EQ(r.CoordBorderSW, 55);
  EXPECT_EQ(r.WestCoords[7], 8);
  EXPECT_EQ(r.SouthCoords[0], 11);

  r = LoadOne(std::string(kFrame) + kCoords);  // no BorderSE
  EXPECT_FALSE(r.FullBorder);
  EXPECT_TRUE(r.CoordinatesPossible);

  r = LoadOne(std::string(kFrame) + "CoordBorderNW=0\nCoordBorderSW=\\x\n");
  EXPECT_EQ(r.CoordBorderNW, 49);
  EXPECT_EQ(r.CoordBorderSW, 'x');

  // Coordinates need no frame, but both corners and all sixteen pieces.
  EXPECT_TRUE(
      LoadOne(std::string("CoordBorderNW=1\nCoordBorderSW=2\n") + kCoords).CoordinatesPossible);
  EXPECT_FALSE(LoadOne(std::string("BorderNW=1\n") + kCoords).CoordinatesPossible);
  std::string gap = kCoords;
  gap.replace(gap.find("BorderS5=15"), 11, "BorderS5=$");
  EXPECT_FALSE(LoadOne("BorderNW=1\nBorderSW=2\n" + gap).CoordinatesPossible);
}

// Sections are read through an index of the file; it must see what a plain
// profile lookup sees.
TEST(Catalogue, FileQuirksReadAsTheProfileReaderDoes) {
  TempIni ini(
      "\xEF\xBB\xBF[Chess Fonts]\r\nFonts=4\r\nFonts=1\r\n; Font1=Other Font\r\n"
      "  font1 = \"Chess Merida\"  \r\nFont1=Other Font\r\n"
      "[Chess Merida] trailing words\r\nBlank_W=1\r\nBlank_W=2\r\n ; Blank_B=9\r\n"
      "[Other Font]\r\nBlank_B=8\r\n[chess fonts]\r\nFont3=Other Font\r\n"
      "[ CHESS MERIDA ]\r\nBlank_B=3\r\nBlank_W=4\r\nCharset='5'\r\n"
      "[Chess Merida\r\nWhiteKing_W=\\k");
  TChessFontInfoMan man(ini.path(), &kInstalled);
  ASSERT_EQ(Names(man), (std::vector<std::string>{"Chess Merida", "Other Font"}));
  const ChessFontInfoRec r = man.GetFontInfo(1);
  EXPECT_EQ(r.Blank, (std::array<std::int32_t, 3>{1, 3, 0}));
  EXPECT_EQ(r.Charset, 5);
  EXPECT_EQ(r.Pieces[6][0][0], 'k');
  EXPECT_EQ(man.GetFontInfo(2).Blank[1], 8);

  const TProfileFile plain = TProfileFile::Load(ini.path());
  EXPECT_EQ(plain.ReadString("Chess Fonts", "Font1", "?"), man.FontName(1));
  EXPECT_EQ(plain.ReadInt("Chess Merida", "Blank_B", 0), r.Blank[1]);
  EXPECT_EQ(plain.ReadInt("Chess Merida", "Charset", 2), r.Charset);
}

TEST(Catalogue, HostileFilesStayCheap) {
  const auto start = std::chrono::steady_clock::now();
  TempIni huge(
      "[Chess Fonts]\nFonts=2147483647\nFont1=Chess Merida\nFont2147483647=Other Font\n"
      "Font99999999999=Chess Merida\n");
  EXPECT_EQ(Names(TChessFontInfoMan(huge.path(), &kInstalled)),
            (std::vector<std::string>{"Chess Merida", "Other Font"}));

  // 10,000 fonts with a section each, read without an installed list.
  std::string text = "[Chess Fonts]\nFonts=10000\n";
  for (int n = 1; n <= 10000; ++n)
    text += "Font" + std::to_string(n) + "=F" + std::to_string(n) + "\n";
  for (int n = 1; n <= 10000; ++n) text += "[F" + std::to_string(n) + "]\n" + kFrame + kCoords;
  TempIni many(text);
  TChessFontInfoMan manyMan(many.path(), nullptr);
  ASSERT_EQ(manyMan.FontCount(), 10000);
  EXPECT_EQ(manyMan.FontIndex("F9999"), 9999);
  EXPECT_TRUE(manyMan.GetFontInfo(10000).CoordinatesPossible);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace bq
