#include "app/winplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <string>

#include "app/mainform.h"

namespace bq {

namespace {

std::optional<TRect> MainWindowRect(const QWidget* except) {
  if (!MainForm || MainForm == except) return std::nullopt;
  return ToRect(MainForm->frameGeometry());
}

}  // namespace

TRect ToRect(const QRect& r) {
  return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

TSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return TSize{};
  const QRect g = screen->geometry();
  return TSize{g.width(), g.height()};
}

bool IsMaximized(const QWidget* window) {
  return window->windowState() & Qt::WindowMaximized;
}

void WritePlacement(TProfileFile& ini, std::string_view section, const QWidget* window,
                    TBorderStyle border, const TPlacementExtras& extras) {
  const QRect normal = window->normalGeometry();
  if (!normal.isValid()) return;  // no placement to ask for yet
  TShowState show = TShowState::Normal;
  if (window->windowState() & Qt::WindowMinimized) {
    show = TShowState::Minimized;
  } else if (window->windowState() & Qt::WindowMaximized) {
    show = TShowState::Maximized;
  }
  TPlacementExtras values = SavePlacementValues(ToRect(normal), show, border);
  values.insert(values.end(), extras.begin(), extras.end());
  for (const auto& [key, value] : values) ini.WriteString(section, key, std::to_string(value));
}

bool RestorePlacement(const std::string& fileName, std::string_view section, QWidget* window,
                      const QWidget* reference, bool centre, TBorderStyle border) {
  TRestoreInput in;
  in.Window = TSize{window->width(), window->height()};
  in.Screen = ScreenSize();
  in.Border = border;
  in.Centre = centre;
  if (reference) in.Reference = ToRect(reference->geometry());
  in.IsMainWindow = window == MainForm;
  if (MainForm && !in.IsMainWindow) in.MainWindow = ToRect(MainForm->geometry());
  const TRestoreResult res = bq::RestorePlacement(fileName, section, in);
  Qt::WindowStates state = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  window->setWindowState(state);
  window->setGeometry(ToQRect(res.Rect));
  if (res.Show == TShowState::Maximized) window->setWindowState(state | Qt::WindowMaximized);
  return res.HadTopLeft;
}

QRect AvailableArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

QMargins FrameAllowance(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  if (handle && window->isVisible()) return handle->frameMargins();
  // Before the window manager has framed the window: room for a title bar
  // and borders, so that neither leaves the screen.
  return QMargins(8, 40, 8, 8);
}

QRect FirstStartRect(const QSize& wanted, const QRect& available, const QMargins& frame) {
  const int roomW = std::max(1, available.width() - frame.left() - frame.right());
  const int roomH = std::max(1, available.height() - frame.top() - frame.bottom());
  const int w = std::min(wanted.width(), roomW);
  const int h = std::min(std::max(wanted.height(), kFirstStartMinHeight), roomH);
  const int left = available.left() + (roomW - w) / 2 + frame.left();
  const int top = available.top() + (roomH - h) / 2 + frame.top();
  return QRect(left, top, w, h);
}

void CenterOnForm(QWidget* window, const QWidget* reference) {
  const QRect frame = window->frameGeometry();
  std::optional<TRect> ref;
  if (reference) ref = ToRect(reference->frameGeometry());
  const auto pos = bq::CenterOnForm(TSize{frame.width(), frame.height()}, IsMaximized(window), ref,
                                    MainWindowRect(window));
  if (pos) window->move(pos->X, pos->Y);
}

void CenterDialogOnForm(QWidget* dialog, const QWidget* form) {
  QWidget* top = dialog->window();
  // Outside the maximised state, which CenterDialog refuses anyway, the frame
  // is the restored-state rectangle.
  std::optional<TRect> restored;
  if (top->normalGeometry().isValid()) restored = ToRect(top->frameGeometry());
  const auto pos = CenterDialog(restored, IsMaximized(top), ToRect(form->frameGeometry()));
  if (!pos) return;
  top->move(pos->X, pos->Y);
  top->raise();
}

}  // namespace bq
