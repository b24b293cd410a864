#pragma once
// Window placement applied to Qt windows: the arithmetic lives in
// support/placement.h; this reads and moves the real windows. Rectangles are
// Qt's client geometry (normalGeometry for the restored state), used alike
// for saving and restoring.
#include <QMargins>
#include <QRect>
#include <QSize>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/placement.h"
#include "support/profile.h"

class QWidget;

namespace bq {

TRect ToRect(const QRect& r);
QRect ToQRect(const TRect& r);

// The primary screen's whole size.
TSize ScreenSize();
bool IsMaximized(const QWidget* window);

// Keys a window stores beside its placement (the main window's splitter).
using TPlacementExtras = std::vector<std::pair<std::string, std::int32_t>>;

// Puts Top, Left (Right, Bottom for sizeable windows), State and the extras
// into the profile, to be saved with the window's other settings; nothing
// when the window has no placement yet.
void WritePlacement(TProfileFile& ini, std::string_view section, const QWidget* window,
                    TBorderStyle border = TBorderStyle::Sizeable,
                    const TPlacementExtras& extras = {});
// Moves, sizes and shows the window as stored. True when Top and Left were
// stored. Throws TRunError("Range check error") for a stored State outside
// 0..255, before the window is touched.
bool RestorePlacement(const std::string& fileName, std::string_view section, QWidget* window,
                      const QWidget* reference, bool centre,
                      TBorderStyle border = TBorderStyle::Sizeable);
// A window placed for the first time is at least this tall where the screen
// allows.
inline constexpr int kFirstStartMinHeight = 640;

// The primary screen's area that panels and docks leave free.
QRect AvailableArea();
// The frame the window manager puts around a window: known once the window
// has been shown, estimated before.
QMargins FrameAllowance(const QWidget* window);
// The client rectangle of a window placed for the first time: the wanted
// size, at least kFirstStartMinHeight tall, the whole frame within the
// available area, centred in it.
QRect FirstStartRect(const QSize& wanted, const QRect& available, const QMargins& frame);

// Centres the window on the reference (default: the main window) unless it is
// maximised; never to a negative position.
void CenterOnForm(QWidget* window, const QWidget* reference = nullptr);
// Centres a window that the toolkit shows for us (the file dialog) on the
// form, keeping its size, and raises it.
void CenterDialogOnForm(QWidget* dialog, const QWidget* form);

}  // namespace bq
