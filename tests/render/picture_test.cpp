// SVG and PNG pictures: the squares, frame, coordinates, mark and caption
// must be where the record puts them, read back from the files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "render/picturewriter.h"
#include "render/rendererror.h"
#include "render_test_util.h"

namespace bq {
namespace {

constexpr int kSquare = 40;

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tiles_.Ok()) << "Chess Merida must be installed (scripts/install-fonts.sh)";
  }

  // Checks every square of the board part of `pic` against `board`'s rows.
  void ExpectBoard(const test::TDecoded& pic, const TBoardRows& board) {
    ASSERT_GE(pic.Height, kSquare * static_cast<int>(board.Rows.size()));
    const std::vector<std::string> seen =
        test::ReadBoard(pic, tiles_, kSquare, board.Rows.size(), board.Rows[0].size(), codes_);
    for (std::size_t r = 0; r < board.Rows.size(); ++r)
      EXPECT_EQ(seen[r], board.Rows[r]) << "row " << r;
  }

  // The ink of the strip below the board, and right of the frame on row `row`.
  static long InkBelow(const test::TDecoded& pic, int boardHeight) {
    long ink = 0;
    for (int y = boardHeight; y < pic.Height; ++y)
      for (int x = 0; x < pic.Width; ++x) ink += pic.InkAt(x, y);
    return ink;
  }
  static long InkRightOf(const test::TDecoded& pic, int left, int row) {
    long ink = 0;
    for (int y = row * kSquare; y < (row + 1) * kSquare; ++y)
      for (int x = left; x < pic.Width; ++x) ink += pic.InkAt(x, y);
    return ink;
  }

  test::TGlyphTiles tiles_{"Chess Merida", kSquare};
  const std::string codes_ = test::AllCodes(test::ShippedFonts().FontInfoRef("Chess Merida"));
  const testing::TempDir temp_;
  const std::filesystem::path dir_ = temp_.path();
};

TEST_F(PictureTest, PngShowsEverySquareFramePieceMarkAndCaption) {
  const TConvertJob job = MakeConvertJob(test::BkSettings(), test::ShippedFonts());
  TPictureWriter writer(job, TPictureFormat::Png);
  std::string bytes;
  const std::vector<test::TKeptRecord> records = test::Records(test::BkText(14), job);
  for (const std::size_t k : {0u, 1u, 13u}) {
    const TRecord& rec = records[k].Record;
    const TBoardRows board = BoardRowsOf(job, rec);
    writer.Write(rec, bytes);
    const test::TDecoded pic = test::DecodePng(bytes);
    ASSERT_GT(pic.Width, 0) << "not a PNG";
    ExpectBoard(pic, board);
    // A framed board is ten squares wide; the mark follows on the mover's
    // first rank only.
    EXPECT_GT(pic.Width, 10 * kSquare);
    EXPECT_GT(InkRightOf(pic, 10 * kSquare, board.MarkRow), 0);
    EXPECT_EQ(InkRightOf(pic, 10 * kSquare, 9 - board.MarkRow), 0);
    EXPECT_GT(InkBelow(pic, 10 * kSquare), 0) << "caption lost";
    EXPECT_EQ(pic.Alpha[0], 255);  // white paper
  }

  // The board alone: exactly 400 px, nothing below it; transparent paper.
  TConvertSettings bare = test::BkSettings();
  bare.Layout.MoverMark = false;
  bare.Layout.Caption.clear();
  const TConvertJob clear =
      MakeConvertJob(bare, test::ShippedFonts(), TOutputFormat::Png, {.Transparent = true});
  TPictureWriter transparent(clear, TPictureFormat::Png);
  const test::TKeptRecord third = test::Records(test::BkText(3), clear)[2];
  transparent.Write(third.Record, bytes);
  const test::TDecoded pic = test::DecodePng(bytes);
  EXPECT_EQ(pic.Width, 10 * kSquare);
  EXPECT_EQ(pic.Height, 10 * kSquare);
  ExpectBoard(pic, BoardRowsOf(clear, third.Record));
  EXPECT_EQ(pic.Alpha[static_cast<std::size_t>(pic.Width * 20 + pic.Width - 5)], 0);
}

TEST_F(PictureTest, PngTellsFlippedBoardsApart) {
  // A picture of another board must not pass for this one: the check reads
  // the squares, not just "a file was written".
  TConvertSettings fromBlack = test::BkSettings();
  fromBlack.Layout.Orientation = TOrientation::Black;
  const TConvertJob white = MakeConvertJob(test::BkSettings(), test::ShippedFonts());
  const TConvertJob black = MakeConvertJob(fromBlack, test::ShippedFonts());
  const test::TKeptRecord rec = test::Records(test::BkText(1), black)[0];
  std::string bytes;
  TPictureWriter(black, TPictureFormat::Png).Write(rec.Record, bytes);
  const test::TDecoded pic = test::DecodePng(bytes);
  const TBoardRows seenFromWhite =
      BoardRowsOf(white, test::Records(test::BkText(1), white)[0].Record);
  const auto seen = test::ReadBoard(pic, tiles_, kSquare, 10, 10, codes_);
  EXPECT_NE(seen[1], seenFromWhite.Rows[1]);
  EXPECT_EQ(seen, BoardRowsOf(black, rec.Record).Rows);
}

TEST_F(PictureTest, SvgIsOutlinesOnlyAndRendersToTheSameBoard) {
  const TConvertJob job = MakeConvertJob(test::BkSettings(), test::ShippedFonts());
  TPictureWriter writer(job, TPictureFormat::Svg);
  const test::TKeptRecord rec = test::Records(test::BkText(1), job)[0];
  const TBoardRows board = BoardRowsOf(job, rec.Record);
  std::string svg;
  writer.Write(rec.Record, svg);
  EXPECT_EQ(svg.find("<text"), std::string::npos);
  EXPECT_EQ(svg.find("font"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 "), std::string::npos);
  const std::string file = (dir_ / "board.svg").string(), png = (dir_ / "board.png").string();
  test::WriteAll(file, svg);
  int status = -1;
  test::Run("rsvg-convert -b white -o '" + png + "' '" + file + "' 2>&1", &status);
  ASSERT_EQ(status, 0) << "rsvg-convert could not read the SVG";
  const test::TDecoded pic = test::DecodePng(test::ReadAll(png));
  ExpectBoard(pic, board);
  EXPECT_GT(InkRightOf(pic, 10 * kSquare, board.MarkRow), 0) << "mark lost";
  EXPECT_GT(InkBelow(pic, 10 * kSquare), 0) << "caption lost";
}

// A coloured square, an arrow and a circle land on their squares, turned
// with the board: read back from the PNG's colours and the SVG's shapes.
TEST_F(PictureTest, MarksFollowTheOrientation) {
  TConvertSettings s = test::BkSettings();
  s.Layout.MoverMark = false;
  s.Layout.Caption.clear();
  const std::string epd = "4k3/8/8/8/8/8/8/4K3 w - - csl \"Rd5\"; cal \"Ge2e4,Bb1b1\";\n";
  // Square centres in pixels, from white and from Black: d5, e3, b1.
  struct TPlace {
    int X, Y;
  };
  const std::array<std::array<TPlace, 3>, 2> centres = {
      {{{{180, 180}, {220, 260}, {100, 340}}}, {{{220, 220}, {180, 140}, {300, 60}}}}};
  for (const bool black : {false, true}) {
    s.Layout.Orientation = black ? TOrientation::Black : TOrientation::White;
    const TConvertJob job = MakeConvertJob(s, test::ShippedFonts());
    const test::TKeptRecord rec = test::Records(epd, job)[0];
    std::string png, svg;
    TPictureWriter(job, TPictureFormat::Png).Write(rec.Record, png);
    TPictureWriter(job, TPictureFormat::Svg).Write(rec.Record, svg);
    const test::TDecoded pic = test::DecodePng(png);
    ASSERT_EQ(pic.Width, 10 * kSquare);
    const auto [d5, e3, b1] = centres[black];
    const TPlace o5 = centres[!black][0];  // where the other view has it
    EXPECT_GT(pic.Channel(d5.X, d5.Y, 16), pic.Channel(d5.X, d5.Y, 8) + 40) << black;
    EXPECT_GT(pic.Channel(e3.X, e3.Y, 8), pic.Channel(e3.X, e3.Y, 16) + 40) << black;
    const int ring = static_cast<int>(0.42 * kSquare);
    EXPECT_GT(pic.Channel(b1.X + ring, b1.Y, 0), pic.Channel(b1.X + ring, b1.Y, 16) + 40) << black;
    EXPECT_LE(pic.Channel(o5.X, o5.Y, 16), pic.Channel(o5.X, o5.Y, 8) + 40) << "not turned";
    EXPECT_NE(svg.find("<rect x=\"" + std::to_string(d5.X - kSquare / 2) + "\" y=\"" +
                       std::to_string(d5.Y - kSquare / 2) +
                       "\" width=\"40\" height=\"40\" fill=\"#882020\" fill-opacity=\"0.502\"/>"),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<circle cx=\"" + std::to_string(b1.X) + "\" cy=\"" + std::to_string(b1.Y)),
              std::string::npos);
    EXPECT_NE(svg.find("fill=\"#15781B\" fill-opacity=\"0.800\"/>"), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"#003088\" stroke-opacity=\"0.800\""), std::string::npos);
  }
}

TEST(PictureFontTest, FontThatIsNotInstalledIsRefused) {
  TConvertSettings s;
  s.DiagFont = "No Such Chess Font";
  const TConvertJob job = MakeConvertJob(s, test::ShippedFonts());
  EXPECT_THROW(TPictureWriter(job, TPictureFormat::Png), TRenderError);
}

}  // namespace
}  // namespace bq
