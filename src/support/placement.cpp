#include "support/placement.h"

#include <algorithm>
#include <limits>

#include "support/errors.h"
#include "support/settings.h"

namespace bq {

namespace {

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

bool StoresSize(TBorderStyle border) {
  return border == TBorderStyle::Single || border == TBorderStyle::Sizeable ||
         border == TBorderStyle::SizeToolWin;
}

TRestoreResult ComputeRestorePlacement(const TPlacementReader& read, const TRestoreInput& in) {
  // 64-bit throughout: stored values are arbitrary 32-bit integers, and their
  // sums and differences must not wrap.
  const std::int64_t W = in.Window.Width, H = in.Window.Height;
  const std::int64_t SW = in.Screen.Width, SH = in.Screen.Height;
  const std::int64_t DL = SW / 2 - W / 2, DT = SH / 2 - H / 2;

  TRestoreResult result;
  std::int64_t top = read("Top", -1), left = read("Left", -1);
  result.HadTopLeft = top != -1 && left != -1;
  if (!result.HadTopLeft) {
    top = DT;
    left = DL;
  }
  std::int64_t right = left + W, bottom = top + H;
  if (in.Border == TBorderStyle::Sizeable || in.Border == TBorderStyle::SizeToolWin) {
    // A missing edge keeps the current size at the stored corner; a stored
    // rectangle without area is no size to restore.
    bottom = read("Bottom", Clamp32(top + H));
    right = read("Right", Clamp32(left + W));
    if (right <= left || bottom <= top) {
      right = left + W;
      bottom = top + H;
    }
  }
  const std::int32_t state = read("State", 0);
  if (state < 0 || state > 255) RaiseRangeError();
  result.Show = state == 3 ? TShowState::Maximized : TShowState::Normal;

  if (in.Centre) {
    const std::int64_t w = right - left, h = bottom - top;
    std::optional<TRect> ref = in.Reference;
    if (!ref && !in.IsMainWindow) ref = in.MainWindow;
    if (ref) {
      left = std::int64_t{ref->Left} + ref->Width() / 2 - w / 2;
      top = std::int64_t{ref->Top} + ref->Height() / 2 - h / 2;
    } else {
      left = SW / 2 - w / 2;
      top = SH / 2 - h / 2;
    }
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = left + w;
    bottom = top + h;
  }

  if (right > SW) {
    left -= right - SW;
    right = SW;
  }
  if (bottom > SH) {
    top -= bottom - SH;
    bottom = SH;
  }
  if (left < 0) {
    right -= left;
    left = 0;
  }
  if (top < 0) {
    bottom -= top;
    top = 0;
  }
  result.Rect = {Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)};
  return result;
}

TRestoreResult ComputeRestorePlacement(const TProfileFile& file, std::string_view section,
                                       const TRestoreInput& in) {
  return ComputeRestorePlacement(
      [&](std::string_view key, std::int32_t def) { return file.ReadInt(section, key, def); }, in);
}

std::vector<std::pair<std::string, std::int32_t>> SavePlacementValues(const TRect& restored,
                                                                      TShowState show,
                                                                      TBorderStyle border) {
  std::vector<std::pair<std::string, std::int32_t>> values{{"Top", restored.Top},
                                                           {"Left", restored.Left}};
  if (StoresSize(border)) {
    values.emplace_back("Right", restored.Right);
    values.emplace_back("Bottom", restored.Bottom);
  }
  const std::int32_t state = show == TShowState::Minimized   ? 1
                             : show == TShowState::Maximized ? 3
                                                             : 2;
  values.emplace_back("State", state);
  return values;
}

TPoint CenterOnRect(TSize window, const TRect& reference) {
  const std::int64_t x = std::int64_t{reference.Left} +
                         (std::int64_t{reference.Right} - reference.Left) / 2 - window.Width / 2;
  const std::int64_t y = std::int64_t{reference.Top} +
                         (std::int64_t{reference.Bottom} - reference.Top) / 2 - window.Height / 2;
  return {Clamp32(std::max<std::int64_t>(x, 0)), Clamp32(std::max<std::int64_t>(y, 0))};
}

std::optional<TPoint> CenterOnForm(TSize window, bool maximized,
                                   const std::optional<TRect>& reference,
                                   const std::optional<TRect>& mainWindow) {
  if (maximized) return std::nullopt;
  const std::optional<TRect>& ref = reference ? reference : mainWindow;
  if (!ref) return std::nullopt;
  return CenterOnRect(window, *ref);
}

std::optional<TPoint> CenterDialog(const std::optional<TRect>& restored, bool maximized,
                                   const TRect& form) {
  if (!restored || maximized) return std::nullopt;
  return CenterOnRect({restored->Width(), restored->Height()}, form);
}

void SavePlacement(const std::string& fileName, std::string_view section, const TRect& restored,
                   TShowState show, TBorderStyle border) {
  const std::string file = fileName.empty() ? SettingsFileName() : fileName;
  WriteIntSettings(file, section, SavePlacementValues(restored, show, border));
}

TRestoreResult RestorePlacement(const std::string& fileName, std::string_view section,
                                const TRestoreInput& in) {
  const std::string file = fileName.empty() ? SettingsFileName() : fileName;
  return ComputeRestorePlacement(TProfileFile::Load(file), section, in);
}

}  // namespace bq
