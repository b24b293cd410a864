#pragma once
// Layout of the program's message dialog, free of any toolkit: from the
// message, its kind and buttons, the dialog font's measures and the screen
// size to the client size and the place of every control. The desktop layer
// creates the controls where this says.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/placement.h"

namespace bq {

enum class TMsgDlgType { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

enum class TMsgDlgBtn {
  Yes = 0,
  No = 1,
  OK = 2,
  Cancel = 3,
  Abort = 4,
  Retry = 5,
  Ignore = 6,
  All = 7,
  NoToAll = 8,
  YesToAll = 9,
  Help = 10
};
inline constexpr int kMsgDlgButtonCount = 11;

// Bit n stands for button n; bits 11 to 15 mean nothing.
using TMsgDlgButtons = std::uint16_t;
constexpr TMsgDlgButtons ButtonBit(TMsgDlgBtn b) {
  return static_cast<TMsgDlgButtons>(1u << static_cast<unsigned>(b));
}
constexpr TMsgDlgButtons Buttons(std::initializer_list<TMsgDlgBtn> list) {
  TMsgDlgButtons set = 0;
  for (TMsgDlgBtn b : list) set = static_cast<TMsgDlgButtons>(set | ButtonBit(b));
  return set;
}
constexpr bool HasButton(TMsgDlgButtons set, TMsgDlgBtn b) {
  return (set & ButtonBit(b)) != 0;
}

// Modal results.
inline constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                     mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

const char* ButtonName(TMsgDlgBtn b);     // control name, "Yes" .. "Help"
std::string ButtonCaption(TMsgDlgBtn b);  // current named text
int ButtonResult(TMsgDlgBtn b);           // Help gives 0: it does not close the dialog
bool KindHasIcon(TMsgDlgType kind);
// Caption for a kind: the application title for Custom or when useTitle is
// set, else the kind's named text.
std::string MessageCaption(TMsgDlgType kind, bool useTitle, std::string_view appTitle);

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c
// is 0 or the result does not fit.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

struct TDialogUnits {
  std::int32_t X = 0, Y = 0;
};
// From the extent of the 52 letters "A".."Z","a".."z" in the dialog font.
TDialogUnits DialogUnits(std::int32_t alphabetWidth, std::int32_t alphabetHeight);
inline constexpr std::string_view kDialogUnitText =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct TMsgMeasures {
  std::int32_t HorzMargin = 0, VertMargin = 0, HorzSpacing = 0, VertSpacing = 0, ButtonWidth = 0,
               ButtonHeight = 0, ButtonSpacing = 0;
};
TMsgMeasures MessageMeasures(TDialogUnits units);

// Measures text in the dialog font: (text, maximum width) -> (width, height).
// With a maximum width > 0 the text is word-wrapped (tabs expanded) to lines
// no wider than it; with 0 it is measured as one line.
using TTextMeasurer =
    std::function<std::pair<std::int32_t, std::int32_t>(std::string_view, std::int32_t)>;

inline constexpr std::int32_t kMsgIconSize = 32;

struct TMsgButtonLayout {
  TMsgDlgBtn Button = TMsgDlgBtn::OK;
  std::string Name;
  std::string Caption;
  int Result = 0;
  TRect Bounds;
  bool Default = false;  // pressed by Enter
  bool Cancel = false;   // pressed by Escape
};

struct TMessageLayout {
  std::string Caption;
  TMsgMeasures Measures;
  TSize Client;
  bool HasIcon = false;
  TRect IconBounds;                       // "Image", 32 x 32, when HasIcon
  TRect TextBounds;                       // "Message"
  std::vector<TMsgButtonLayout> Buttons;  // in button order
  std::optional<TMsgDlgBtn> DefaultButton;
  std::optional<TMsgDlgBtn> CancelButton;
};

TMessageLayout LayoutMessageForm(const TTextMeasurer& measure, TSize screen, std::string_view text,
                                 TMsgDlgType kind, TMsgDlgButtons buttons, bool useTitle,
                                 std::string_view appTitle);

// Top-left corner of a dialog of outer size `dialog`: centred on the owner,
// or on the screen and then on the main window; then X >= 0 and Y >= 0
// override the left and top edges.
TPoint MessageFormPosition(TSize dialog, TSize screen, const std::optional<TRect>& owner,
                           const std::optional<TRect>& mainWindow, std::int32_t x = -1,
                           std::int32_t y = -1);

}  // namespace bq
