#pragma once
// Window placement arithmetic, free of any toolkit: what is stored when a
// window is hidden, where it goes when it is shown again, and centring on
// another window. The desktop layer reads and applies the real windows.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/profile.h"

namespace bq {

// Right and Bottom are exclusive.
struct TRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  std::int32_t Width() const { return Right - Left; }
  std::int32_t Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

struct TSize {
  std::int32_t Width = 0, Height = 0;
};

struct TPoint {
  std::int32_t X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};

enum class TBorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
enum class TShowState { Normal, Minimized, Maximized };

// True for the border styles whose size is stored and restored.
bool StoresSize(TBorderStyle border);

// Reads one stored integer: key, default -> value.
using TPlacementReader = std::function<std::int32_t(std::string_view, std::int32_t)>;

struct TRestoreInput {
  TSize Window;  // current width and height
  TSize Screen;  // whole primary screen
  TBorderStyle Border = TBorderStyle::Sizeable;
  bool Centre = false;
  std::optional<TRect> Reference;  // window to centre on
  bool IsMainWindow = false;
  std::optional<TRect> MainWindow;  // stands in for a missing reference
};

struct TRestoreResult {
  TRect Rect;  // restored-state rectangle to apply
  TShowState Show = TShowState::Normal;
  bool HadTopLeft = false;  // both "Top" and "Left" were stored
};

// Raises TRunError("Range check error") for a stored "State" outside 0..255.
TRestoreResult ComputeRestorePlacement(const TPlacementReader& read, const TRestoreInput& in);
TRestoreResult ComputeRestorePlacement(const TProfileFile& file, std::string_view section,
                                       const TRestoreInput& in);

// Keys and values to store, in writing order.
std::vector<std::pair<std::string, std::int32_t>> SavePlacementValues(const TRect& restored,
                                                                      TShowState show,
                                                                      TBorderStyle border);

// Top-left corner that centres a window of `window` size on `reference`;
// negative coordinates become 0.
TPoint CenterOnRect(TSize window, const TRect& reference);
// CenterOnForm: nothing for a maximised window, else centred on the reference
// or, without one, the main window; nothing when there is neither.
std::optional<TPoint> CenterOnForm(TSize window, bool maximized,
                                   const std::optional<TRect>& reference,
                                   const std::optional<TRect>& mainWindow);
// CenterDialogOnForm for a native window given its restored-state rectangle;
// nothing when its placement is unknown or it is maximised.
std::optional<TPoint> CenterDialog(const std::optional<TRect>& restored, bool maximized,
                                   const TRect& form);

// The file-backed operations. An empty file name means SettingsFileName();
// callers pass the window's name as the section when they have none.
// SavePlacement writes all keys in one replace of the file.
void SavePlacement(const std::string& fileName, std::string_view section, const TRect& restored,
                   TShowState show, TBorderStyle border);
TRestoreResult RestorePlacement(const std::string& fileName, std::string_view section,
                                const TRestoreInput& in);

}  // namespace bq
