#include "support/placement.h"

#include <gtest/gtest.h>

#include <map>

#include "support/errors.h"
#include "test_util.h"

namespace bq {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

using Stored = std::map<std::string, std::int32_t>;

TRestoreResult Restore(const Stored& stored, TRestoreInput in) {
  return ComputeRestorePlacement(
      [&](std::string_view key, std::int32_t def) {
        auto it = stored.find(std::string(key));
        return it == stored.end() ? def : it->second;
      },
      in);
}

TRestoreInput Window(TBorderStyle border = TBorderStyle::Sizeable) {
  TRestoreInput in;
  in.Window = {400, 300};
  in.Screen = {1024, 768};
  in.Border = border;
  in.IsMainWindow = true;
  return in;
}

TEST(RestorePlacement, FirstStartCentresOnTheScreen) {
  auto r = Restore({}, Window());
  EXPECT_FALSE(r.HadTopLeft);
  EXPECT_EQ(r.Rect, (TRect{312, 234, 712, 534}));
  EXPECT_EQ(r.Show, TShowState::Normal);
  // Odd sizes halve toward zero on both sides.
  auto in = Window();
  in.Window = {401, 301};
  in.Screen = {1025, 769};
  EXPECT_EQ(Restore({}, in).Rect, (TRect{312, 234, 713, 535}));
}

TEST(RestorePlacement, StoredRectangleAndShowState) {
  const Stored saved{{"Top", 10}, {"Left", 20}, {"Right", 520}, {"Bottom", 410}};
  auto max = saved;
  max["State"] = 3;
  auto r = Restore(max, Window());
  EXPECT_TRUE(r.HadTopLeft);
  EXPECT_EQ(r.Show, TShowState::Maximized);
  EXPECT_EQ(r.Rect, (TRect{20, 10, 520, 410}));
  auto min = saved;
  min["State"] = 1;
  EXPECT_EQ(Restore(min, Window()).Show, TShowState::Normal);
  EXPECT_EQ(Restore(min, Window()).Rect, (TRect{20, 10, 520, 410}));

  for (std::int32_t bad : {256, -1}) {
    auto s = saved;
    s["State"] = bad;
    try {
      Restore(s, Window());
      ADD_FAILURE() << bad;
    } catch (const TRunError& e) {
      EXPECT_STREQ(e.what(), "Range check error");
    }
  }
}

TEST(RestorePlacement, MissingOrMinusOneCornerCentresBoth) {
  EXPECT_FALSE(Restore({{"Top", 50}}, Window()).HadTopLeft);
  EXPECT_EQ(Restore({{"Top", 50}}, Window()).Rect, (TRect{312, 234, 712, 534}));
  EXPECT_EQ(Restore({{"Top", 50}, {"Left", -1}}, Window()).Rect, (TRect{312, 234, 712, 534}));
}

TEST(RestorePlacement, SizeOnlyForSizeableBorders) {
  const Stored saved{{"Top", 10}, {"Left", 20}, {"Right", 620}, {"Bottom", 510}};
  EXPECT_EQ(Restore(saved, Window(TBorderStyle::Dialog)).Rect, (TRect{20, 10, 420, 310}));
  EXPECT_EQ(Restore(saved, Window(TBorderStyle::Single)).Rect, (TRect{20, 10, 420, 310}));
  EXPECT_EQ(Restore(saved, Window(TBorderStyle::SizeToolWin)).Rect, (TRect{20, 10, 620, 510}));
  // Stored corner without stored edges, or edges that enclose nothing: the
  // current size at the stored corner.
  EXPECT_EQ(Restore({{"Top", 10}, {"Left", 20}}, Window()).Rect, (TRect{20, 10, 420, 310}));
  EXPECT_EQ(Restore({{"Top", 10}, {"Left", 20}, {"Right", 5}, {"Bottom", 510}}, Window()).Rect,
            (TRect{20, 10, 420, 310}));

  const auto values =
      SavePlacementValues({20, 10, 620, 510}, TShowState::Minimized, TBorderStyle::Dialog);
  EXPECT_EQ(values, (std::vector<std::pair<std::string, std::int32_t>>{
                        {"Top", 10}, {"Left", 20}, {"State", 1}}));
  EXPECT_EQ(SavePlacementValues({1, 2, 3, 4}, TShowState::Normal, TBorderStyle::Sizeable).size(),
            5u);
  EXPECT_EQ(
      SavePlacementValues({1, 2, 3, 4}, TShowState::Maximized, TBorderStyle::None).back().second,
      3);
}

TEST(RestorePlacement, FitsOntoTheScreenKeepingTheSize) {
  // Beyond the right and bottom edges, e.g. after a change to a smaller screen.
  EXPECT_EQ(
      Restore({{"Top", 700}, {"Left", 900}, {"Right", 1300}, {"Bottom", 1000}}, Window()).Rect,
      (TRect{624, 468, 1024, 768}));
  // Larger than the screen: left and top at 0, sticking out.
  EXPECT_EQ(Restore({{"Top", 5}, {"Left", 5}, {"Right", 1505}, {"Bottom", 1005}}, Window()).Rect,
            (TRect{0, 0, 1500, 1000}));
  EXPECT_EQ(Restore({{"Top", -50}, {"Left", -70}}, Window()).Rect, (TRect{0, 0, 400, 300}));
  // Extreme stored numbers neither wrap nor crash.
  auto r = Restore(
      {{"Top", INT32_MIN}, {"Left", INT32_MAX}, {"Right", INT32_MIN}, {"Bottom", INT32_MAX}},
      Window());
  EXPECT_EQ(r.Rect.Width(), 400);
  EXPECT_EQ(r.Rect.Left, 624);
}

TEST(RestorePlacement, CentreFlag) {
  const Stored saved{{"Top", 500}, {"Left", 600}, {"Right", 800}, {"Bottom", 600}};
  auto in = Window();
  in.Centre = true;
  in.IsMainWindow = false;
  in.MainWindow = TRect{100, 100, 500, 400};
  // No reference: the main window is the reference.
  EXPECT_EQ(Restore(saved, in).Rect, (TRect{200, 200, 400, 300}));
  // Reference near the top left corner: never negative.
  in.Reference = TRect{0, 0, 100, 50};
  EXPECT_EQ(Restore(saved, in).Rect, (TRect{0, 0, 200, 100}));
  // The main window itself centres on the screen.
  in.Reference.reset();
  in.IsMainWindow = true;
  EXPECT_EQ(Restore(saved, in).Rect, (TRect{412, 334, 612, 434}));
}

TEST(Centring, OnFormsAndNativeDialogs) {
  EXPECT_EQ(CenterOnRect({200, 100}, {0, 0, 100, 50}), (TPoint{0, 0}));
  EXPECT_EQ(CenterOnRect({200, 100}, {100, 100, 600, 500}), (TPoint{250, 250}));
  const TRect main{100, 100, 600, 500};
  EXPECT_EQ(CenterOnForm({200, 100}, false, std::nullopt, main), (TPoint{250, 250}));
  EXPECT_EQ(CenterOnForm({200, 100}, true, main, main), std::nullopt);
  EXPECT_EQ(CenterOnForm({200, 100}, false, std::nullopt, std::nullopt), std::nullopt);
  EXPECT_EQ(CenterDialog(TRect{900, 900, 1100, 1000}, false, main), (TPoint{250, 250}));
  EXPECT_EQ(CenterDialog(std::nullopt, false, main), std::nullopt);
  EXPECT_EQ(CenterDialog(TRect{0, 0, 10, 10}, true, main), std::nullopt);
}

TEST(PlacementFile, SaveThenRestoreKeepsOtherSections) {
  TempDir dir;
  const std::string file = dir / "p.ini";
  WriteFile(file, "[General]\nDiagFont=X\n");
  SavePlacement(file, "MainForm", {20, 10, 520, 410}, TShowState::Maximized,
                TBorderStyle::Sizeable);
  EXPECT_EQ(ReadFile(file),
            "[General]\nDiagFont=X\n[MainForm]\nTop=10\nLeft=20\nRight=520\nBottom=410\nState=3\n");
  auto r = RestorePlacement(file, "mainform", Window());
  EXPECT_EQ(r.Rect, (TRect{20, 10, 520, 410}));
  EXPECT_EQ(r.Show, TShowState::Maximized);
}

}  // namespace
}  // namespace bq
