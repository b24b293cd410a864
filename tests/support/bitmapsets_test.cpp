#include "support/bitmapsets.h"

#include <gtest/gtest.h>

#include "support/errors.h"
#include "test_util.h"

namespace bq {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(BitmapSets, BuiltInSetsAndFamilies) {
  int loads = 0;
  InitBitmapSets([&](const std::string& source, bool fromFile) {
    ++loads;
    return LoadBitmapSize(source, fromFile);
  });
  TBitmapSetRegistry& r = *BitmapSets();
  ASSERT_EQ(r.Count(), 6);
  EXPECT_EQ(r.Set(0).CellSize, 24);
  EXPECT_EQ(r.Set(5).CellSize, 48);
  EXPECT_EQ(r.Set(5).Height, 48);
  EXPECT_EQ(r.Set(3).DisplayName, "Rurezuv (32)");
  EXPECT_EQ(r.Set(3).Source, "rurezuv32");
  ASSERT_EQ(r.Families().size(), 2u);
  EXPECT_EQ(r.Families()[0].Name, "Regular");
  EXPECT_EQ(r.Families()[0].Sets, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(r.Families()[1].Name, "Rurezuv");
  EXPECT_EQ(r.Families()[1].Sets, (std::vector<int>{3, 4, 5}));

  EXPECT_EQ(r.RegisterBitmapSet("regular24", "Other", "Other", "REGULAR40", false), 0);
  EXPECT_EQ(loads, 6);
  EXPECT_EQ(r.Set(0).DisplayName, "Regular (24)");
  EXPECT_EQ(r.Families().size(), 2u);
  DoneBitmapSets();
  EXPECT_EQ(BitmapSets(), nullptr);
}

TEST(BitmapSets, FailedLoadRegistersNothing) {
  TBitmapSetRegistry r;
  EXPECT_THROW(r.RegisterBitmapSet("Ghost", "Ghost", "Spooky", "ghost", false), TRunError);
  EXPECT_EQ(r.Count(), 0);
  EXPECT_EQ(r.IndexOf("Ghost"), -1);
  EXPECT_TRUE(r.Families().empty());
  EXPECT_EQ(r.RegisterBitmapSet("Plain", "Plain", "", "REGULAR32", false), 0);
  EXPECT_EQ(r.Name(0), "Plain");
  EXPECT_TRUE(r.Families().empty());
}

std::string BmpHeader(std::int32_t infoSize, std::int32_t w, std::int32_t h) {
  std::string s = "BM" + std::string(12, '\0');
  auto put = [&](std::int32_t v) {
    for (int i = 0; i < 4; ++i)
      s += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  };
  put(infoSize);
  put(w);
  put(h);
  return s;
}

TEST(BitmapSets, BitmapFilesByTheirHeader) {
  TempDir dir;
  WriteFile(dir / "up.bmp", BmpHeader(40, 28 * 14, -28));
  WriteFile(dir / "bad.bmp", "GIF89a and more bytes here....");
  WriteFile(dir / "short.bmp", "BM");
  TBitmapSetRegistry r;
  EXPECT_EQ(r.RegisterBitmapSet("Mine", "Mine (28)", "Mine", dir / "up.bmp", true), 0);
  EXPECT_EQ(r.Set(0).CellSize, 28);
  EXPECT_EQ(r.Set(0).Height, 28);
  EXPECT_EQ(r.Set(0).FromFile, 1);
  for (const char* name : {"bad.bmp", "short.bmp", "missing.bmp"})
    EXPECT_THROW(r.RegisterBitmapSet(name, "", "", dir / name, true), TRunError) << name;
  EXPECT_EQ(r.Count(), 1);
  EXPECT_THROW(ReadBmpFileSize(dir / "zero.bmp"), TRunError);
  WriteFile(dir / "zero.bmp", BmpHeader(40, 0, 10));
  EXPECT_THROW(ReadBmpFileSize(dir / "zero.bmp"), TRunError);
  WriteFile(dir / "min.bmp", BmpHeader(40, 10, INT32_MIN));
  EXPECT_THROW(ReadBmpFileSize(dir / "min.bmp"), TRunError);
}

TEST(BoardColourSet, ColoursAndPalette) {
  T_ChsBmpManO c;
  EXPECT_EQ(c.Flag, 1);
  EXPECT_EQ(ColourToRGB(c.Colours[0]), (TRGB{237, 211, 158}));
  EXPECT_EQ(ColourToRGB(c.Colours[1]), (TRGB{154, 148, 73}));
  ASSERT_TRUE(c.Palette());
  const std::vector<TRGB> expected{{237, 211, 158}, {154, 148, 73}, {0, 255, 255},
                                   {255, 0, 0},     {0, 128, 0},    {255, 255, 0},
                                   {0, 0, 0},       {0, 0, 255},    {0, 255, 255}};
  EXPECT_EQ(*c.Palette(), expected);
  c.GroupColours[6] = 0x010203;
  c.Colours[3] = 0x0A0B0C;  // colour 4 is not in the palette
  c.BuildPalette();
  EXPECT_EQ(c.Palette()->size(), T_ChsBmpManO::kPaletteEntries);
  EXPECT_EQ(c.Palette()->back(), (TRGB{3, 2, 1}));
}

}  // namespace
}  // namespace bq
