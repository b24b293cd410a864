#include "convert/layout.h"

#include <gtest/gtest.h>

#include "../chess/chess_test_util.h"
#include "chess/parser.h"
#include "convert/job.h"

namespace bq {
namespace {

using test::Read;

TEST(Layout, CaptionFields) {
  const TPosition rec = Read(
      "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 id \"BK.01\"; bm Qd1+ Qe2; hmvc 3; fmvn 41; n x; "
      "fen y;");
  const TRecordNumbers at{7, 12};
  EXPECT_EQ(ExpandTemplate("{n}. {id} ({line}): {bm} - {tomove}", rec, at),
            "7. BK.01 (12): Qd1+ Qe2 - White to move");
  // Named fields win over opcodes of the same name; opcodes fold case.
  EXPECT_EQ(ExpandTemplate("{N}{ID}{missing}|{{n}}", rec, at), "7BK.01|{n}");
  EXPECT_EQ(ExpandTemplate("{fen}", rec, at), "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 3 41");
  const TPosition black = Read("4k3/8/8/8/8/8/8/4K3 b - - view \"black\";");
  EXPECT_EQ(ExpandTemplate("{fen}, {tomove}", black, at),
            "4k3/8/8/8/8/8/8/4K3 b - - 0 1, Black to move");
  // An impossible position is drawn, and described, as the start position.
  EXPECT_EQ(ExpandTemplate("{fen}", Read("8/8/8/8/8/8/8/8 b - -"), at),
            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const auto fromBlack = [](const TPosition& p, TOrientation o) {
    return DrawnFromBlack(p, FindOperation(p, "view"), o);
  };
  EXPECT_TRUE(fromBlack(black, TOrientation::White));
  EXPECT_FALSE(fromBlack(rec, TOrientation::ToMove));
  EXPECT_TRUE(fromBlack(Read("4k3/8/8/8/8/8/8/4K3 b - -"), TOrientation::ToMove));
  EXPECT_FALSE(fromBlack(Read("4k3/8/8/8/8/8/8/4K3 b - - view white;"), TOrientation::Black));
}

TEST(Layout, ValuesThatDoNotFitAreRefused) {
  EXPECT_EQ(TemplateError("{n}. {{x}} {id}"), "");
  EXPECT_EQ(TemplateError("a {id"), "\"{\" at column 3 is not closed");
  EXPECT_EQ(TemplateError("{a{b}"), "\"{\" at column 1 is not closed");
  EXPECT_EQ(TemplateError("x}"), "\"}\" at column 2 closes no field");
  EXPECT_EQ(ParseOrientation("TOMOVE"), TOrientation::ToMove);
  EXPECT_FALSE(ParseOrientation("north"));
  EXPECT_EQ(ParseColumns("4"), 4);
  EXPECT_FALSE(ParseColumns("9"));
  EXPECT_FALSE(ParseColumns("0"));

  TProfileFile ini;
  ini.WriteString("General", "Orientation", "sideways");
  ini.WriteString("General", "Columns", "9");
  ini.WriteString("General", "Caption", "{n");
  ini.WriteString("General", "MoverMark", "1");
  std::vector<std::string> warnings;
  const TLayoutSettings s = ReadLayoutSettings(ini, warnings);
  EXPECT_EQ(s.Orientation, TOrientation::White);
  EXPECT_EQ(s.Columns, 1);
  EXPECT_EQ(s.Caption, "");
  EXPECT_TRUE(s.MoverMark);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[1],
            "setting Columns: columns must be 1, 2, 3 or 4, not \"9\"; the default is used");
  // The diagram style, read with the conversion settings.
  EXPECT_EQ(ParseDiagramStyle("Picture"), TDiagramStyle::Picture);
  ini.WriteString("General", "DiagramStyle", "pictures");
  warnings.clear();
  EXPECT_EQ(ReadConvertSettings(ini, &warnings).DiagramStyle, TDiagramStyle::Font);
  ASSERT_EQ(warnings.size(), 4u);
  EXPECT_EQ(warnings[3],
            "setting DiagramStyle: must be font or picture, not \"pictures\"; the default is used");
  ini.WriteString("General", "DiagramStyle", "PICTURE");
  EXPECT_EQ(ReadConvertSettings(ini).DiagramStyle, TDiagramStyle::Picture);
  TProfileFile round;
  TLayoutSettings wanted{TOrientation::ToMove, true, "{n}. {id}", 3, "bm,id"};
  WriteLayoutSettings(round, wanted);
  EXPECT_EQ(ReadLayoutSettings(round, warnings), wanted);
}

}  // namespace
}  // namespace bq
