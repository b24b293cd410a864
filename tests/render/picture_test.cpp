// SVG and PNG pictures: the squares, frame, coordinates, mark and caption
// must be where the record puts them, read back from the files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "render/picturewriter.h"
#include "render/rendererror.h"
#include "render_test_util.h"

namespace bq {
namespace {

using test::BkRecord;

constexpr int kSquare = 40;

TPictureStyle MeridaStyle() {
  TPictureStyle style;
  style.DiagFont = "Chess Merida";
  style.SquarePx = kSquare;
  return style;
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tiles_.Ok()) << "Chess Merida must be installed (scripts/install-fonts.sh)";
  }

  // Checks every square of the board part of `pic` against `rec`'s rows.
  void ExpectBoard(const test::TDecoded& pic, const TPictureRecord& rec) {
    ASSERT_GE(pic.Height, kSquare * static_cast<int>(rec.Rows.size()));
    const std::vector<std::string> seen =
        test::ReadBoard(pic, tiles_, kSquare, rec.Rows.size(), rec.Rows[0].size(), codes_);
    for (std::size_t r = 0; r < rec.Rows.size(); ++r)
      EXPECT_EQ(seen[r], rec.Rows[r]) << "row " << r;
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
  TPictureWriter writer(MeridaStyle(), TPictureFormat::Png);
  std::string bytes;
  for (const std::size_t k : {0u, 1u, 13u}) {
    const TPictureRecord rec = BkRecord(k);
    writer.Write(rec, bytes);
    const test::TDecoded pic = test::DecodePng(bytes);
    ASSERT_GT(pic.Width, 0) << "not a PNG";
    ExpectBoard(pic, rec);
    // A framed board is ten squares wide; the mark follows on row 8 only.
    EXPECT_GT(pic.Width, 10 * kSquare);
    EXPECT_GT(InkRightOf(pic, 10 * kSquare, 8), 0);
    EXPECT_EQ(InkRightOf(pic, 10 * kSquare, 7), 0);
    EXPECT_GT(InkBelow(pic, 10 * kSquare), 0) << "caption lost";
    EXPECT_EQ(pic.Alpha[0], 255);  // white paper
  }

  // The board alone: exactly 400 px, nothing below it; transparent paper.
  TPictureRecord bare = BkRecord(2);
  bare.MarkRow = -1;
  bare.Caption.clear();
  TPictureStyle clear = MeridaStyle();
  clear.Transparent = true;
  TPictureWriter transparent(clear, TPictureFormat::Png);
  transparent.Write(bare, bytes);
  const test::TDecoded pic = test::DecodePng(bytes);
  EXPECT_EQ(pic.Width, 10 * kSquare);
  EXPECT_EQ(pic.Height, 10 * kSquare);
  ExpectBoard(pic, bare);
  EXPECT_EQ(pic.Alpha[static_cast<std::size_t>(pic.Width * 20 + pic.Width - 5)], 0);
}

TEST_F(PictureTest, PngTellsFlippedAndMovedBoardsApart) {
  // A picture of another board must not pass for this one: the check reads
  // the squares, not just "a file was written".
  TPictureWriter writer(MeridaStyle(), TPictureFormat::Png);
  const TPictureRecord rec = BkRecord(0);
  TPictureRecord flipped = rec;
  std::reverse(flipped.Rows.begin() + 1, flipped.Rows.end() - 1);
  std::string bytes;
  writer.Write(flipped, bytes);
  const test::TDecoded pic = test::DecodePng(bytes);
  const auto seen = test::ReadBoard(pic, tiles_, kSquare, rec.Rows.size(), 10, codes_);
  EXPECT_NE(seen[1], rec.Rows[1]);
  EXPECT_EQ(seen[1], rec.Rows[8]);
}

TEST_F(PictureTest, SvgIsOutlinesOnlyAndRendersToTheSameBoard) {
  TPictureWriter writer(MeridaStyle(), TPictureFormat::Svg);
  const TPictureRecord rec = BkRecord(0);
  std::string svg;
  writer.Write(rec, svg);
  EXPECT_EQ(svg.find("<text"), std::string::npos);
  EXPECT_EQ(svg.find("font"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 "), std::string::npos);
  const std::string file = (dir_ / "board.svg").string(), png = (dir_ / "board.png").string();
  test::WriteAll(file, svg);
  int status = -1;
  test::Run("rsvg-convert -b white -o '" + png + "' '" + file + "' 2>&1", &status);
  ASSERT_EQ(status, 0) << "rsvg-convert could not read the SVG";
  const test::TDecoded pic = test::DecodePng(test::ReadAll(png));
  ExpectBoard(pic, rec);
  EXPECT_GT(InkRightOf(pic, 10 * kSquare, 8), 0) << "mark lost";
  EXPECT_GT(InkBelow(pic, 10 * kSquare), 0) << "caption lost";
}

TEST(PictureFontTest, FontThatIsNotInstalledIsRefused) {
  TPictureStyle style;
  style.DiagFont = "No Such Chess Font";
  EXPECT_THROW(TPictureWriter(style, TPictureFormat::Png), TRenderError);
}

}  // namespace
}  // namespace bq
