#include <gtest/gtest.h>

#include "convert/diagram.h"

namespace bq {
namespace {

TPosition KingsOnly() {
  TPosition rec;
  InitPosition(rec);
  ClearBoard(rec.Core);
  SetSquare(rec.Core, 5, 8, cBlack, pKing);
  SetSquare(rec.Core, 5, 1, cWhite, pKing);
  return rec;
}

ChessFontInfoRec ExampleMap() {
  ChessFontInfoRec g;
  g.Blank[0] = 46;
  g.Blank[1] = 43;
  g.Pieces[pKing][cBlack][0] = 108;
  g.Pieces[pKing][cWhite][1] = 161;
  g.BorderNW = '1';
  g.BorderN = '2';
  g.BorderNE = '3';
  g.BorderW = '4';
  g.BorderE = '5';
  g.BorderSW = '7';
  g.BorderS = '8';
  g.BorderSE = '9';
  g.CoordBorderNW = g.BorderNW;
  g.CoordBorderSW = g.BorderSW;
  g.FullBorder = true;
  return g;
}

TEST(DiagramWriter, WorkedExampleWithBorder) {
  const std::string expected =
      "\\f2\\fs40 1222222223\r\n"
      "\\par 4.+.+l+.+5\r\n"
      "\\par 4+.+.+.+.5\r\n"
      "\\par 4.+.+.+.+5\r\n"
      "\\par 4+.+.+.+.5\r\n"
      "\\par 4.+.+.+.+5\r\n"
      "\\par 4+.+.+.+.5\r\n"
      "\\par 4.+.+.+.+5\r\n"
      "\\par 4+.+.\\'A1.+.5\r\n"
      "\\par 7888888889\\par\\f0\\fs20\r\n";
  EXPECT_EQ(WriteDiagram(KingsOnly(), "\\f2\\fs40", "\\f0\\fs20", false, ExampleMap()), expected);
  // Coordinates requested but the map cannot draw them: same text.
  EXPECT_EQ(WriteDiagram(KingsOnly(), "\\f2\\fs40", "\\f0\\fs20", true, ExampleMap()), expected);
}

TEST(DiagramWriter, WithoutBorderRowsHaveNoSides) {
  ChessFontInfoRec g = ExampleMap();
  g.FullBorder = false;
  const std::string text = WriteDiagram(KingsOnly(), "H", "T", false, g);
  EXPECT_EQ(text.substr(0, 19), "H \\par .+.+l+.+\r\n\\p");
  // The last row keeps its line break; no bottom line follows.
  EXPECT_EQ(text.substr(text.size() - 25), "\\par +.+.\\'A1.+.\r\n\\parT\r\n");
}

TEST(DiagramWriter, CoordinatesReplaceLeftSideAndBottom) {
  ChessFontInfoRec g = ExampleMap();
  g.CoordBorderNW = 'A';
  g.CoordBorderSW = 'B';
  for (int i = 0; i < 8; ++i) {
    g.WestCoords[i] = '1' + i + 16;  // rank r drawn as 'A' + r
    g.SouthCoords[i] = 'a' + i;
  }
  g.CoordinatesPossible = true;
  const std::string text = WriteDiagram(KingsOnly(), "H", "T", true, g);
  EXPECT_NE(text.find("H A222222223\r\n"), std::string::npos);
  EXPECT_NE(text.find("\\par H.+.+l+.+5\r\n"), std::string::npos);   // rank 8
  EXPECT_NE(text.find("\\par A+.+.\\'A1.+.5\r\n"), std::string::npos);  // rank 1
  EXPECT_NE(text.find("\\par Babcdefgh9\\parT\r\n"), std::string::npos);

  // Without a full border the rank glyphs stay but there is no frame.
  g.FullBorder = false;
  const std::string bare = WriteDiagram(KingsOnly(), "H", "T", true, g);
  EXPECT_EQ(bare.substr(0, 18), "H \\par H.+.+l+.+\r\n");
  EXPECT_EQ(bare.find("abcdefgh"), std::string::npos);
}

TEST(DiagramWriter, SquareColoursAndGlyphCodes) {
  ChessFontInfoRec g;
  g.Blank[0] = 'w';
  g.Blank[1] = 'd';
  EXPECT_EQ(GetSquareGlyph(pNone, cNone, 1, 1, g), 'd');  // a1 dark
  EXPECT_EQ(GetSquareGlyph(pNone, cNone, 8, 1, g), 'w');  // h1 light
  EXPECT_EQ(GetSquareGlyph(pNone, cWhite, 1, 8, g), 'w');  // colour of an empty square ignored
  EXPECT_EQ(GetSquareGlyph(7, cWhite, 1, 8, g), 0);        // codes the record never holds
  EXPECT_EQ(GetSquareGlyph(pKing, cNone, 1, 8, g), 0);

  // Codes above 255 are cut to their low byte; a low byte of 0 draws nothing.
  g.Blank[0] = 0x100 + 'x';
  g.Blank[1] = 0x200;
  TPosition rec;
  InitPosition(rec);
  ClearBoard(rec.Core);
  const std::string text = WriteDiagram(rec, "H", "T", false, g);
  EXPECT_EQ(text.substr(0, 13), "H \\par xxxx\r\n");
  EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST(DiagramWriter, SpecialAndHighCodesAreEscaped) {
  ChessFontInfoRec g;
  g.Blank[0] = '{';
  g.Blank[1] = '\\';
  g.Pieces[pRook][cWhite][1] = 255;
  g.Pieces[pRook][cWhite][0] = 127;
  TPosition rec;
  InitPosition(rec);
  ClearBoard(rec.Core);
  SetSquare(rec.Core, 1, 1, cWhite, pRook);
  SetSquare(rec.Core, 2, 1, cWhite, pRook);
  const std::string text = WriteDiagram(rec, "H", "T", false, g);
  EXPECT_NE(text.find("\\par \\'FF\x7f\\'5C\\'7B\\'5C\\'7B\\'5C\\'7B\r\n"), std::string::npos);
}

}  // namespace
}  // namespace bq
