// The font description file we ship, checked against the rendered glyph
// tables it was made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fonts/catalogue.h"

namespace bq {
namespace {

const std::string kIniPath = std::string(BQ_SOURCE_DIR) + "/data/ChsFonts.ini";

TEST(ShippedIni, CataloguesEveryFont) {
  const std::vector<std::string> fonts = {
      "Chess Merida",       "Chess Leipzig", "Chess Condal",    "Chess Harlequin",
      "Chess Kingdom",      "Chess Line",    "Chess Magnetic",  "Chess Mark",
      "Chess Marroquin",    "Chess Maya",    "Chess Mediaeval", "Chess Millennia-L",
      "Chess Motif",        "Chess Cases",   "Chess Lucena",    "Chess Adventurer",
      "Chess Usual",        "Chess",         "SkakNew-Diagram", "SkakNew-DiagramT",
      "Chess Alpha Diagram"};
  TChessFontInfoMan man(kIniPath, nullptr);
  ASSERT_EQ(man.FontCount(), 21);
  for (int i = 1; i <= 21; ++i) {
    const ChessFontInfoRec r = man.GetFontInfo(i);
    SCOPED_TRACE(r.Name);
    EXPECT_EQ(r.Name, fonts[static_cast<std::size_t>(i - 1)]);
    EXPECT_EQ(r.Charset, 0);
    EXPECT_TRUE(r.Diagram);
    EXPECT_NE(r.Blank[0] * r.Blank[1], 0);
    for (int piece = 1; piece <= 6; ++piece)
      for (const auto& bySquare : {r.Pieces[piece][0], r.Pieces[piece][1]})
        EXPECT_NE(bySquare[0] * bySquare[1], 0);
    // Fonts 1-16 have complete coordinates, the three skaknew ones no frame.
    EXPECT_EQ(r.FullBorder, i <= 18);
    EXPECT_EQ(r.CoordinatesPossible, i <= 16);
    if (r.CoordinatesPossible) {
      EXPECT_EQ(r.CoordBorderNW, r.BorderNW);  // the frame's own corners
      EXPECT_EQ(r.CoordBorderSW, r.BorderSW);
    }
    // The space is half an em in these: a full-width glyph stands in.
    if (r.Name == "Chess Lucena") {
      EXPECT_EQ(r.Blank[0], 42);
    }
    if (i >= 19) {
      EXPECT_EQ(r.Blank[0], 48);
    }
  }

  // The names are what fontconfig calls the fonts, once they are installed.
  const std::vector<std::string>& installed = InstalledFontList();
  if (std::find(installed.begin(), installed.end(), "Chess Merida") != installed.end()) {
    EXPECT_EQ(TChessFontInfoMan(kIniPath).FontCount(), 21);
  }
}

TEST(ShippedIni, MeridaMatchesRenderedGlyphs) {
  const ChessFontInfoRec r = TChessFontInfoMan(kIniPath, nullptr).GetFontInfoByName("Chess Merida");
  // Light-square letters by piece 1..6 (P N B R Q K) and colour; dark ones are upper case.
  const std::array<std::array<char, 2>, 7> light = {
      {{0, 0}, {'p', 'o'}, {'n', 'm'}, {'b', 'v'}, {'r', 't'}, {'q', 'w'}, {'k', 'l'}}};
  for (int piece = 1; piece <= 6; ++piece) {
    for (int colour = 0; colour <= 1; ++colour) {
      EXPECT_EQ(r.Pieces[piece][colour][0], light[piece][colour]);
      EXPECT_EQ(r.Pieces[piece][colour][1], light[piece][colour] - 'a' + 'A');
    }
  }
  EXPECT_EQ(r.Blank, (std::array<std::int32_t, 3>{32, 43, 0}));
  EXPECT_EQ((std::array<std::int32_t, 8>{r.BorderNW, r.BorderN, r.BorderNE, r.BorderW, r.BorderE,
                                         r.BorderSW, r.BorderS, r.BorderSE}),
            (std::array<std::int32_t, 8>{33, 34, 35, 36, 37, 47, 40, 41}));
  EXPECT_EQ(r.WestCoords, (std::array<std::int32_t, 8>{135, 183, 130, 132, 137, 194, 202, 193}));
  EXPECT_EQ(r.SouthCoords, (std::array<std::int32_t, 8>{203, 200, 205, 206, 207, 204, 211, 212}));
}

}  // namespace
}  // namespace bq
