#include <gtest/gtest.h>

#include <random>

#include "convert/diagram.h"
#include "fonts/rtf.h"

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

// A record's board as the RTF writer puts it: head, a blank, the board,
// its end, tail, CR LF.
std::string Diagram(const TDiagramWriter& writer, const TPositionCore& core, std::string_view head,
                    std::string_view tail, bool fromBlack = false) {
  std::string out(head);
  out += ' ';
  const std::size_t at = out.size();
  out.resize(at + writer.MaxBoardSize() + TDiagramWriter::kSlack);
  out.resize(
      static_cast<std::size_t>(writer.WriteBoard(out.data() + at, core, fromBlack) - out.data()));
  return out.append(writer.End()).append(tail).append("\r\n");
}

std::string WriteDiagram(const TPosition& rec, std::string_view head, std::string_view tail,
                         bool showCoords, const ChessFontInfoRec& g) {
  return Diagram(TDiagramWriter(g, {.ShowCoords = showCoords}), rec.Core, head, tail);
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
  EXPECT_NE(text.find("\\par H.+.+l+.+5\r\n"), std::string::npos);      // rank 8
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
  EXPECT_EQ(GetSquareGlyph(pNone, cNone, 1, 1, g), 'd');   // a1 dark
  EXPECT_EQ(GetSquareGlyph(pNone, cNone, 8, 1, g), 'w');   // h1 light
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

TEST(DiagramWriter, FromBlackRankOneOnTopFilesHToA) {
  ChessFontInfoRec g = ExampleMap();
  g.CoordBorderNW = 'N';
  g.CoordBorderSW = 'S';
  for (int i = 0; i < 8; ++i) {
    g.WestCoords[i] = '1' + i;
    g.SouthCoords[i] = 'a' + i;
  }
  g.CoordinatesPossible = true;
  TPosition rec = KingsOnly();
  SetSquare(rec.Core, 1, 2, cWhite, pKing);  // a2 is light: no glyph in this map
  const std::string expected =
      "H N222222223\r\n"
      "\\par 1.+.\\'A1.+.+5\r\n"
      "\\par 2+.+.+.+5\r\n"
      "\\par 3.+.+.+.+5\r\n"
      "\\par 4+.+.+.+.5\r\n"
      "\\par 5.+.+.+.+5\r\n"
      "\\par 6+.+.+.+.5\r\n"
      "\\par 7.+.+.+.+5\r\n"
      "\\par 8+.+l+.+.5\r\n"
      "\\par Shgfedcba9\\parT\r\n";
  for (const std::uint8_t side : {cWhite, cBlack}) {
    SetSideToMove(rec.Core, side);
    EXPECT_EQ(Diagram(TDiagramWriter(g, {.ShowCoords = true}), rec.Core, "H", "T", true), expected);
  }
  const std::vector<std::string> rows =
      TDiagramWriter(g, {.ShowCoords = true}).Rows(rec.Core, true).Rows;
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[1], "1.+.\xA1.+.+5");
  EXPECT_EQ(rows[2], "2+.+.+.+5");
  EXPECT_EQ(rows[9], "Shgfedcba9");
  // Without coordinates the west side is the plain border.
  EXPECT_EQ(TDiagramWriter(g, {}).Rows(rec.Core, true).Rows[8], "4+.+l+.+.5");
}

TEST(DiagramWriter, KeepWholeAndMoverMark) {
  TPosition rec = KingsOnly();
  const auto draw = [&](ChessFontInfoRec g, TDiagramLayout layout, bool fromBlack,
                        std::uint8_t side) {
    SetSideToMove(rec.Core, side);
    return Diagram(TDiagramWriter(g, layout), rec.Core, "H", "T", fromBlack);
  };
  const ChessFontInfoRec framed = ExampleMap();
  ChessFontInfoRec bare = framed;
  bare.FullBorder = false;
  // The last line opens with \pard: the frame's, else the last rank's.
  const TDiagramLayout keep{.Flow = TDiagramFlow::KeepWhole};
  EXPECT_TRUE(
      draw(framed, keep, false, cWhite).ends_with("5\r\n\\par \\pard 7888888889\\parT\r\n"));
  EXPECT_TRUE(draw(bare, keep, true, cBlack).ends_with("\r\n\\par \\pard +.+l+.+.\r\n\\parT\r\n"));
  EXPECT_EQ(draw(framed, {.Flow = TDiagramFlow::InCell}, false, cWhite),
            WriteDiagram(rec, "H", "T", false, framed));

  // The mark after the mover's first rank line as drawn, the exact pitch on
  // every line, and the reset after the diagram.
  EXPECT_EQ(draw(framed, {.Flow = TDiagramFlow::KeepWhole, .MoverMark = true, .DiagFontSize = 21},
                 false, cWhite),
            "H \\sl-420\\slmult0 1222222223\r\n"
            "\\par 4.+.+l+.+5\r\n"
            "\\par 4+.+.+.+.5\r\n"
            "\\par 4.+.+.+.+5\r\n"
            "\\par 4+.+.+.+.5\r\n"
            "\\par 4.+.+.+.+5\r\n"
            "\\par 4+.+.+.+.5\r\n"
            "\\par 4.+.+.+.+5\r\n"
            "\\par 4+.+.\\'A1.+.5{\\f0  \\u9633?}\r\n"
            "\\par \\pard \\sl-420\\slmult0 7888888889\\par\\pardT\r\n");
  const TDiagramLayout mark{.MoverMark = true};
  EXPECT_NE(draw(framed, mark, false, cBlack).find("\\par 4.+.+l+.+5{\\f0  \\u9632?}\r\n"),
            std::string::npos);
  EXPECT_NE(draw(framed, mark, true, cWhite).find("\\par 4.+.\\'A1.+.+5{\\f0  \\u9633?}\r\n"),
            std::string::npos);
  EXPECT_NE(draw(bare, mark, true, cBlack).find("\\par +.+l+.+.{\\f0  \\u9632?}\r\n\\par"),
            std::string::npos);
  // In a table cell no \pard before the last line, and the reset keeps \intbl.
  EXPECT_TRUE(draw(framed, {.Flow = TDiagramFlow::InCell, .MoverMark = true}, false, cWhite)
                  .ends_with("\\par 7888888889\\par\\pard\\intblT\r\n"));

  // Pictures: the rows carry no RTF; MarkRow names the mover's rank line.
  const TDiagramWriter writer(framed, mark);
  SetSideToMove(rec.Core, cWhite);
  EXPECT_EQ(writer.Rows(rec.Core).Rows[8], "4+.+.\xA1.+.5");
  EXPECT_EQ(writer.Rows(rec.Core).MarkRow, 8);
  EXPECT_EQ(writer.Rows(rec.Core, true).MarkRow, 1);
  SetSideToMove(rec.Core, cBlack);
  EXPECT_EQ(writer.Rows(rec.Core).MarkRow, 1);
  EXPECT_TRUE(writer.Rows(rec.Core).MarkBlack);
  EXPECT_EQ(TDiagramWriter(bare, mark).Rows(rec.Core, true).MarkRow, 7);
  EXPECT_EQ(TDiagramWriter(bare, {}).Rows(rec.Core).MarkRow, -1);
}

// The board's lines glyph by glyph, as the layout reads: no tables.
std::vector<std::string> ReferenceRows(const TPositionCore& core, bool showCoords, bool fromBlack,
                                       const ChessFontInfoRec& g) {
  const bool coords = showCoords && g.CoordinatesPossible, border = g.FullBorder;
  std::vector<std::string> rows(1);
  const auto push = [&](std::int32_t glyph) {
    if ((glyph & 0xFF) != 0) rows.back() += static_cast<char>(glyph & 0xFF);
  };
  if (border) {
    push(coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) push(g.BorderN);
    push(g.BorderNE);
    rows.emplace_back();
  }
  for (int row = 0; row < 8; ++row) {
    const int rank = fromBlack ? row + 1 : 8 - row;
    push(coords ? g.WestCoords[rank - 1] : border ? g.BorderW : 0);
    for (int i = 0; i < 8; ++i) {
      const int file = fromBlack ? 8 - i : i + 1;
      const TCell c = core.Board[static_cast<std::size_t>(CellOf(file, rank))];
      push(GetSquareGlyph(c.Piece, c.Colour, file, rank, g));
    }
    push(border ? g.BorderE : 0);
    rows.emplace_back();
  }
  if (border) {
    push(coords ? g.CoordBorderSW : g.BorderSW);
    for (int i = 0; i < 8; ++i) push(coords ? g.SouthCoords[fromBlack ? 7 - i : i] : g.BorderS);
    push(g.BorderSE);
  } else {
    rows.pop_back();
  }
  return rows;
}

// Those lines as the document holds them.
std::string ReferenceDiagram(const std::vector<std::string>& rows, bool border) {
  std::string out = "H ";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0 || !border) out += "\\par ";
    out += EscapeRTFGlyphs(rows[i]);
    if (!border || i + 1 < rows.size()) out += "\r\n";
  }
  return out + "\\parT\r\n";
}

TEST(DiagramWriter, DrawsAnyBoardWithAnyMapLikeTheLayout) {
  std::mt19937 rng(5);
  // Glyphs that escape, draw nothing, or stand as they are.
  const auto glyph = [&]() -> std::int32_t {
    switch (rng() % 6) {
      case 0:
        return 0;
      case 1:
        return static_cast<std::int32_t>(128 + rng() % 128);
      case 2:
        return "{}\\"[rng() % 3];
      case 3:
        return static_cast<std::int32_t>(rng() % 32);
      default:
        return static_cast<std::int32_t>('A' + rng() % 26) | 0x100;
    }
  };
  std::vector<ChessFontInfoRec> maps;
  const TChessFontInfoMan shipped(BQ_SOURCE_DIR "/data/ChsFonts.ini", nullptr);
  for (int i = 1; i <= shipped.FontCount(); ++i) maps.push_back(shipped.GetFontInfo(i));
  ASSERT_GT(maps.size(), 10u);
  for (int i = 0; i < 40; ++i) {
    ChessFontInfoRec g;
    // Mostly plain one-byte squares, so that most boards take the short way.
    const auto square = [&] {
      return rng() % 8 ? 'a' + static_cast<std::int32_t>(rng() % 26) : glyph();
    };
    g.Blank = {square(), square(), 0};
    for (auto& piece : g.Pieces)
      for (auto& colour : piece)
        for (auto& v : colour) v = square();
    for (std::int32_t* v :
         {&g.BorderNW, &g.BorderN, &g.BorderNE, &g.BorderW, &g.BorderE, &g.BorderSW, &g.BorderS,
          &g.BorderSE, &g.CoordBorderNW, &g.CoordBorderSW})
      *v = glyph();
    for (auto& v : g.WestCoords) v = glyph();
    for (auto& v : g.SouthCoords) v = glyph();
    g.FullBorder = rng() % 2;
    g.CoordinatesPossible = rng() % 2;
    maps.push_back(g);
  }
  for (const ChessFontInfoRec& g : maps) {
    for (const bool coords : {false, true}) {
      const TDiagramWriter writer(g, {.ShowCoords = coords});
      for (int i = 0; i < 40; ++i) {
        TPosition rec;
        ClearBoard(rec.Core);
        for (TCell& c : rec.Core.Board) {
          const unsigned kind = rng() % 32;
          // Empty cells of every colour a reader writes, and on every other
          // board now and then any code at all.
          if (kind < 14)
            c = TCell{static_cast<std::uint8_t>(kind / 7), static_cast<std::uint8_t>(1 + kind % 6)};
          else if (kind < 30)
            c.Colour = static_cast<std::uint8_t>(kind % 3);
          else if (i % 2)
            c = TCell{static_cast<std::uint8_t>(rng() % 5 ? rng() % 4 : rng()),
                      static_cast<std::uint8_t>(rng() % 5 ? rng() % 9 : rng())};
        }
        for (const bool fromBlack : {false, true}) {
          const std::vector<std::string> rows = ReferenceRows(rec.Core, coords, fromBlack, g);
          ASSERT_EQ(Diagram(writer, rec.Core, "H", "T", fromBlack),
                    ReferenceDiagram(rows, g.FullBorder))
              << g.Name << " " << i;
          ASSERT_EQ(writer.Rows(rec.Core, fromBlack).Rows, rows) << g.Name << " " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace bq
