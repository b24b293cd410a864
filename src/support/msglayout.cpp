#include "support/msglayout.h"

#include <algorithm>
#include <array>
#include <limits>

#include "support/texts.h"

namespace bq {

namespace {

struct TButtonInfo {
  const char* Name;
  const std::string* Caption;
  int Result;
};

const std::array<TButtonInfo, kMsgDlgButtonCount>& ButtonTable() {
  static const std::array<TButtonInfo, kMsgDlgButtonCount> table{{
      {"Yes", &SMsgDlgYes, mrYes},
      {"No", &SMsgDlgNo, mrNo},
      {"OK", &S_OKBtn, mrOk},
      {"Cancel", &S_CancelBtn, mrCancel},
      {"Abort", &SMsgDlgAbort, mrAbort},
      {"Retry", &SMsgDlgRetry, mrRetry},
      {"Ignore", &SMsgDlgIgnore, mrIgnore},
      {"All", &SMsgDlgAll, mrAll},
      {"NoToAll", &SMsgDlgNoToAll, mrNoToAll},
      {"YesToAll", &SMsgDlgYesToAll, mrYesToAll},
      {"Help", &SMsgDlgHelp, mrNone},
  }};
  return table;
}

const TButtonInfo& Info(TMsgDlgBtn b) {
  return ButtonTable()[static_cast<std::size_t>(b)];
}

}  // namespace

const char* ButtonName(TMsgDlgBtn b) {
  return Info(b).Name;
}
std::string ButtonCaption(TMsgDlgBtn b) {
  return *Info(b).Caption;
}
int ButtonResult(TMsgDlgBtn b) {
  return Info(b).Result;
}

bool KindHasIcon(TMsgDlgType kind) {
  return kind != TMsgDlgType::Custom;
}

std::string MessageCaption(TMsgDlgType kind, bool useTitle, std::string_view appTitle) {
  if (kind == TMsgDlgType::Custom || useTitle) return std::string(appTitle);
  switch (kind) {
    case TMsgDlgType::Warning:
      return SMsgDlgWarning;
    case TMsgDlgType::Error:
      return SMsgDlgError;
    case TMsgDlgType::Information:
      return SMsgDlgInformation;
    case TMsgDlgType::Confirmation:
      return SMsgDlgConfirm;
    case TMsgDlgType::Custom:
      break;
  }
  return std::string(appTitle);
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t num = std::int64_t{a} * b;
  const std::int64_t den = c;
  const bool negative = (num < 0) != (den < 0);
  const std::uint64_t n = num < 0 ? static_cast<std::uint64_t>(-num) : num;
  const std::uint64_t d = den < 0 ? static_cast<std::uint64_t>(-den) : den;
  const std::uint64_t q = (n + d / 2) / d;
  if (q > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return -1;
  return negative ? -static_cast<std::int32_t>(q) : static_cast<std::int32_t>(q);
}

TDialogUnits DialogUnits(std::int32_t alphabetWidth, std::int32_t alphabetHeight) {
  return {alphabetWidth / 52, alphabetHeight};
}

TMsgMeasures MessageMeasures(TDialogUnits u) {
  TMsgMeasures m;
  m.HorzMargin = MulDiv(8, u.X, 4);
  m.VertMargin = MulDiv(8, u.Y, 8);
  m.HorzSpacing = MulDiv(10, u.X, 4);
  m.VertSpacing = MulDiv(10, u.Y, 8);
  m.ButtonWidth = MulDiv(50, u.X, 4);
  m.ButtonHeight = MulDiv(14, u.Y, 8);
  m.ButtonSpacing = MulDiv(4, u.X, 4);
  return m;
}

TMessageLayout LayoutMessageForm(const TTextMeasurer& measure, TSize screen, std::string_view text,
                                 TMsgDlgType kind, TMsgDlgButtons buttons, bool useTitle,
                                 std::string_view appTitle) {
  TMessageLayout L;
  const auto [alphaW, alphaH] = measure(kDialogUnitText, 0);
  const TMsgMeasures m = MessageMeasures(DialogUnits(alphaW, alphaH));
  L.Measures = m;

  const auto [TW, TH] = measure(text, screen.Width / 2);
  std::int32_t IW = TW, IH = TH;
  L.HasIcon = KindHasIcon(kind);
  if (L.HasIcon) {
    IW += kMsgIconSize + m.HorzSpacing;
    if (TH < kMsgIconSize) IH = kMsgIconSize;
  }

  int n = 0;
  for (int b = 0; b < kMsgDlgButtonCount; ++b)
    if (HasButton(buttons, static_cast<TMsgDlgBtn>(b))) ++n;
  const std::int32_t BW = n == 0 ? 0 : n * m.ButtonWidth + (n - 1) * m.ButtonSpacing;

  L.Client.Width = std::max(IW, BW) + 2 * m.HorzMargin;
  L.Client.Height = IH + m.ButtonHeight + m.VertSpacing + 2 * m.VertMargin;
  L.Caption = MessageCaption(kind, useTitle, appTitle);
  if (L.HasIcon)
    L.IconBounds = {m.HorzMargin, m.VertMargin, m.HorzMargin + kMsgIconSize,
                    m.VertMargin + kMsgIconSize};
  const std::int32_t textLeft = IW - TW + m.HorzMargin;
  L.TextBounds = {textLeft, m.VertMargin, textLeft + TW, m.VertMargin + TH};

  auto pick = [&](std::initializer_list<TMsgDlgBtn> order) -> std::optional<TMsgDlgBtn> {
    for (TMsgDlgBtn b : order)
      if (HasButton(buttons, b)) return b;
    return std::nullopt;
  };
  L.DefaultButton = pick({TMsgDlgBtn::OK, TMsgDlgBtn::Yes, TMsgDlgBtn::Retry});
  L.CancelButton = pick({TMsgDlgBtn::Cancel, TMsgDlgBtn::No, TMsgDlgBtn::OK});

  std::int32_t x = (L.Client.Width - BW) / 2;
  const std::int32_t y = IH + m.VertMargin + m.VertSpacing;
  for (int i = 0; i < kMsgDlgButtonCount; ++i) {
    const auto b = static_cast<TMsgDlgBtn>(i);
    if (!HasButton(buttons, b)) continue;
    TMsgButtonLayout bl;
    bl.Button = b;
    bl.Name = ButtonName(b);
    bl.Caption = ButtonCaption(b);
    bl.Result = ButtonResult(b);
    bl.Bounds = {x, y, x + m.ButtonWidth, y + m.ButtonHeight};
    bl.Default = L.DefaultButton == b;
    bl.Cancel = L.CancelButton == b;
    L.Buttons.push_back(std::move(bl));
    x += m.ButtonWidth + m.ButtonSpacing;
  }
  return L;
}

TPoint MessageFormPosition(TSize dialog, TSize screen, const std::optional<TRect>& owner,
                           const std::optional<TRect>& mainWindow, std::int32_t x, std::int32_t y) {
  TPoint p;
  if (owner) {
    p = CenterOnRect(dialog, *owner);
  } else {
    p = {screen.Width / 2 - dialog.Width / 2, screen.Height / 2 - dialog.Height / 2};
    if (auto centred = CenterOnForm(dialog, false, std::nullopt, mainWindow)) p = *centred;
  }
  if (x >= 0) p.X = x;
  if (y >= 0) p.Y = y;
  return p;
}

}  // namespace bq
