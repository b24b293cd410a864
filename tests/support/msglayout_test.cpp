#include "support/msglayout.h"

#include <gtest/gtest.h>

#include "support/texts.h"

namespace bq {
namespace {

// A fixed-pitch font: 7 pixels a character, 16 a line, wrapping at whole
// characters. The alphabet is 364 wide: X = 7, Y = 16.
std::pair<std::int32_t, std::int32_t> Measure(std::string_view text, std::int32_t maxWidth) {
  const auto width = static_cast<std::int32_t>(text.size()) * 7;
  if (maxWidth <= 0 || width <= maxWidth) return {width, 16};
  const std::int32_t perLine = maxWidth / 7;
  const auto lines = (static_cast<std::int32_t>(text.size()) + perLine - 1) / perLine;
  return {perLine * 7, lines * 16};
}

const TSize kScreen{1024, 768};

TMessageLayout Layout(std::string_view text, TMsgDlgType kind, TMsgDlgButtons buttons,
                      bool useTitle = false) {
  return LayoutMessageForm(Measure, kScreen, text, kind, buttons, useTitle, "Boardquill");
}

TEST(MessageLayout, MeasuresRoundLikeMulDiv) {
  EXPECT_EQ(MulDiv(10, 7, 4), 18);
  EXPECT_EQ(MulDiv(-10, 7, 4), -18);
  EXPECT_EQ(MulDiv(9, 1, 4), 2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(INT32_MAX, 4, 2), -1);
  EXPECT_EQ(DialogUnits(364 + 51, 16).X, 7);

  const auto m = MessageMeasures({7, 16});
  EXPECT_EQ(m.HorzMargin, 14);
  EXPECT_EQ(m.VertMargin, 16);
  EXPECT_EQ(m.HorzSpacing, 18);
  EXPECT_EQ(m.VertSpacing, 20);
  EXPECT_EQ(m.ButtonWidth, 88);
  EXPECT_EQ(m.ButtonHeight, 28);
  EXPECT_EQ(m.ButtonSpacing, 7);
}

TEST(MessageLayout, PlainMessageWithOk) {
  const auto L = Layout("Error in EPD string 3", TMsgDlgType::Custom, Buttons({TMsgDlgBtn::OK}));
  EXPECT_EQ(L.Caption, "Boardquill");
  EXPECT_FALSE(L.HasIcon);
  EXPECT_EQ(L.TextBounds, (TRect{14, 16, 14 + 147, 32}));
  EXPECT_EQ(L.Client.Width, 147 + 28);
  EXPECT_EQ(L.Client.Height, 16 + 28 + 20 + 32);
  ASSERT_EQ(L.Buttons.size(), 1u);
  const auto& ok = L.Buttons[0];
  EXPECT_EQ(ok.Name, "OK");
  EXPECT_EQ(ok.Caption, "OK");
  EXPECT_EQ(ok.Result, mrOk);
  EXPECT_TRUE(ok.Default);
  EXPECT_TRUE(ok.Cancel);
  EXPECT_EQ(ok.Bounds, (TRect{43, 52, 131, 80}));  // (175 - 88) / 2, 16 + 16 + 20
}

TEST(MessageLayout, IconAndWrapping) {
  const auto L = Layout("Short", TMsgDlgType::Warning, Buttons({TMsgDlgBtn::OK}));
  EXPECT_EQ(L.Caption, "Warning");
  EXPECT_TRUE(L.HasIcon);
  EXPECT_EQ(L.IconBounds, (TRect{14, 16, 46, 48}));
  EXPECT_EQ(L.TextBounds.Left, 14 + 32 + 18);
  EXPECT_EQ(L.Buttons[0].Bounds.Top, 32 + 16 + 20);  // the block is 32 high

  const auto Long = Layout(std::string(200, 'w'), TMsgDlgType::Information, 0);
  EXPECT_LE(Long.TextBounds.Width(), kScreen.Width / 2);
  EXPECT_EQ(Long.TextBounds.Height(), 48);
  EXPECT_TRUE(Long.Buttons.empty());
  EXPECT_EQ(Long.Client.Width, 511 + 32 + 18 + 28);  // the text alone sets the width
  EXPECT_EQ(Layout("x", TMsgDlgType::Error, 0, true).Caption, "Boardquill");
}

TEST(MessageLayout, DefaultAndCancelRoles) {
  auto roles = [](TMsgDlgButtons set) {
    const auto L = Layout("?", TMsgDlgType::Confirmation, set);
    std::string s;
    for (const auto& b : L.Buttons)
      s += b.Name + (b.Default ? "*" : "") + (b.Cancel ? "^" : "") + " ";
    return s;
  };
  EXPECT_EQ(roles(Buttons({TMsgDlgBtn::No, TMsgDlgBtn::Yes})), "Yes* No^ ");
  EXPECT_EQ(roles(Buttons({TMsgDlgBtn::Abort, TMsgDlgBtn::Retry, TMsgDlgBtn::Ignore})),
            "Abort Retry* Ignore ");
  EXPECT_EQ(roles(Buttons({TMsgDlgBtn::OK, TMsgDlgBtn::Cancel, TMsgDlgBtn::Help})),
            "OK* Cancel^ Help ");
  EXPECT_EQ(roles(Buttons({TMsgDlgBtn::Yes, TMsgDlgBtn::YesToAll, TMsgDlgBtn::NoToAll}) | 0xF800),
            "Yes* NoToAll YesToAll ");
  EXPECT_EQ(ButtonResult(TMsgDlgBtn::Help), mrNone);

  // Three buttons: spaced by the button spacing, the row centred.
  const auto L = Layout("?", TMsgDlgType::Custom,
                        Buttons({TMsgDlgBtn::Yes, TMsgDlgBtn::No, TMsgDlgBtn::Cancel}));
  EXPECT_EQ(L.Client.Width, 3 * 88 + 2 * 7 + 28);
  EXPECT_EQ(L.Buttons[0].Bounds.Left, 14);
  EXPECT_EQ(L.Buttons[2].Bounds.Left, 14 + 2 * 95);
}

TEST(MessageLayout, CaptionsFollowTheNamedTexts) {
  const std::string saved = S_OKBtn;
  S_OKBtn = "Fine";
  EXPECT_EQ(Layout("x", TMsgDlgType::Custom, Buttons({TMsgDlgBtn::OK})).Buttons[0].Caption, "Fine");
  S_OKBtn = saved;
}

TEST(MessageLayout, Position) {
  const TSize dlg{200, 100};
  EXPECT_EQ(MessageFormPosition(dlg, kScreen, std::nullopt, std::nullopt), (TPoint{412, 334}));
  const TRect main{100, 100, 500, 400};
  EXPECT_EQ(MessageFormPosition(dlg, kScreen, std::nullopt, main), (TPoint{200, 200}));
  EXPECT_EQ(MessageFormPosition(dlg, kScreen, TRect{0, 0, 50, 50}, main), (TPoint{0, 0}));
  EXPECT_EQ(MessageFormPosition(dlg, kScreen, std::nullopt, main, 100, -1), (TPoint{100, 200}));
}

}  // namespace
}  // namespace bq
