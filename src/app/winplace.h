#pragma once
// Window placement applied to Qt windows: the arithmetic lives in
// support/placement.h; this reads and moves the real windows. Rectangles are
// Qt's client geometry (normalGeometry for the restored state), used alike
// for saving and restoring.
#include <QRect>
#include <QSize>
#include <string>
#include <string_view>

#include "support/placement.h"

class QWidget;

namespace bq {

TRect ToRect(const QRect& r);
QRect ToQRect(const TRect& r);

// The primary screen's whole size.
TSize ScreenSize();
bool IsMaximized(const QWidget* window);

// Writes Top, Left (Right, Bottom for sizeable windows) and State. An empty
// file name means the settings file; nothing is written when the window has
// no placement yet.
void SavePlacement(const std::string& fileName, std::string_view section, const QWidget* window,
                   TBorderStyle border = TBorderStyle::Sizeable);
// Moves, sizes and shows the window as stored. True when Top and Left were
// stored. Throws TRunError("Range check error") for a stored State outside
// 0..255, before the window is touched.
bool RestorePlacement(const std::string& fileName, std::string_view section, QWidget* window,
                      const QWidget* reference, bool centre,
                      TBorderStyle border = TBorderStyle::Sizeable);
// Centres the window on the reference (default: the main window) unless it is
// maximised; never to a negative position.
void CenterOnForm(QWidget* window, const QWidget* reference = nullptr);
// Centres a window that the toolkit shows for us (the file dialog) on the
// form, keeping its size, and raises it.
void CenterDialogOnForm(QWidget* dialog, const QWidget* form);

}  // namespace bq
