#include "app/boardview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/pieceart.h"
#include "chess/parser.h"

namespace bq {

namespace {

constexpr int kBorder = 4;  // beside the frame where no coordinate stands

int FileOf(int cell) {
  return cell / 8 + 1;
}
int RankOf(int cell) {
  return cell % 8 + 1;
}

}  // namespace

TBoardView::TBoardView(const TPieceArt& art, QWidget* parent) : QWidget(parent), art_(art) {
  setObjectName("Board");
  setAccessibleName(tr("Board"));
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  ClearBoard(core_);
}

void TBoardView::SetPosition(const TPositionCore& core) {
  core_ = core;
  update();
}

void TBoardView::SetFromBlack(bool fromBlack) {
  fromBlack_ = fromBlack;
  update();
}

void TBoardView::SetCursorCell(int cell) {
  cursor_ = std::clamp(cell, 0, 63);
  update();
}

void TBoardView::PutCursorBottomLeft() {
  SetCursorCell(fromBlack_ ? CellOf(8, 8) : CellOf(1, 1));
}

int TBoardView::Margin() const {
  return fontMetrics().height() + kBorder;
}

QSize TBoardView::minimumSizeHint() const {
  const int side = 8 * kMinSquare + Margin() + kBorder;
  return {side, side};
}

QSize TBoardView::sizeHint() const {
  const int side = 8 * (kMinSquare + 8) + Margin() + kBorder;
  return {side, side};
}

int TBoardView::SquareSize() const {
  const int room = std::min(width(), height()) - Margin() - kBorder;
  return std::max(kMinSquare, room / 8);
}

QRect TBoardView::BoardRect() const {
  const int side = 8 * SquareSize();
  // The coordinates stand left of and under the board; the whole is centred.
  const int left = (width() - side - Margin() - kBorder) / 2 + Margin();
  const int top = (height() - side - Margin() - kBorder) / 2 + kBorder;
  return {std::max(Margin(), left), std::max(kBorder, top), side, side};
}

QRect TBoardView::SquareRect(int cell) const {
  const int s = SquareSize();
  const int column = fromBlack_ ? 8 - FileOf(cell) : FileOf(cell) - 1;
  const int row = fromBlack_ ? RankOf(cell) - 1 : 8 - RankOf(cell);
  return {BoardRect().left() + column * s, BoardRect().top() + row * s, s, s};
}

int TBoardView::CellAt(QPoint point) const {
  const QRect board = BoardRect();
  if (!board.contains(point)) return -1;
  const int s = SquareSize();
  const int column = (point.x() - board.left()) / s, row = (point.y() - board.top()) / s;
  const int file = fromBlack_ ? 8 - column : column + 1;
  const int rank = fromBlack_ ? row + 1 : 8 - row;
  return CellOf(file, rank);
}

void TBoardView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect board = BoardRect();
  for (int cell = 0; cell < 64; ++cell) {
    const bool dark = (FileOf(cell) + RankOf(cell)) % 2 == 0;
    // A dragged piece leaves its square.
    const TCell shown = dragging_ && cell == pressed_ ? TCell{} : core_.Board[cell];
    art_.DrawSquare(painter, SquareRect(cell), shown, dark);
  }
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(board.adjusted(-1, -1, 0, 0));
  const int s = SquareSize();
  for (int i = 0; i < 8; ++i) {
    const int file = fromBlack_ ? 8 - i : i + 1, rank = fromBlack_ ? i + 1 : 8 - i;
    painter.drawText(QRect(board.left() + i * s, board.bottom() + 1, s, Margin()), Qt::AlignCenter,
                     QString(QChar('a' + file - 1)));
    painter.drawText(QRect(board.left() - Margin(), board.top() + i * s, Margin() - 2, s),
                     Qt::AlignCenter, QString::number(rank));
  }
  // The keyboard's square, bolder while the board has the focus.
  QPen pen(palette().color(QPalette::Highlight), hasFocus() ? 3 : 1);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.drawRect(QRectF(SquareRect(cursor_)).adjusted(1.5, 1.5, -1.5, -1.5));
  if (dragging_)
    art_.DrawPiece(painter, QRect(dragPoint_ - QPoint(s / 2, s / 2), QSize(s, s)),
                   core_.Board[pressed_]);
}

void TBoardView::Put(int cell, TCell content) {
  emit PutRequested(cell, content.Colour, content.Piece);
}

void TBoardView::mousePressEvent(QMouseEvent* event) {
  const int cell = CellAt(event->position().toPoint());
  if (cell < 0) return;
  SetCursorCell(cell);
  if (event->button() == Qt::RightButton) {
    Put(cell, TCell{});
  } else if (event->button() == Qt::LeftButton) {
    pressed_ = cell;
    pressPoint_ = event->position().toPoint();
    dragging_ = false;
  }
}

void TBoardView::mouseMoveEvent(QMouseEvent* event) {
  if (pressed_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = event->position().toPoint();
  if (!dragging_ && core_.Board[pressed_].Piece != pNone &&
      (at - pressPoint_).manhattanLength() >= QApplication::startDragDistance())
    dragging_ = true;
  if (!dragging_) return;
  dragPoint_ = at;
  update();
}

void TBoardView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressed_ < 0) return;
  const int from = pressed_, to = CellAt(event->position().toPoint());
  const bool dragged = dragging_;
  pressed_ = -1;
  dragging_ = false;
  update();
  if (dragged) {
    if (to != from) emit MoveRequested(from, to);
    if (to >= 0) SetCursorCell(to);
  } else if (to == from) {
    Put(from, brush_);
  }
}

void TBoardView::MoveCursor(int right, int up) {
  const int step = fromBlack_ ? -1 : 1;
  const int file = std::clamp(FileOf(cursor_) + right * step, 1, 8);
  const int rank = std::clamp(RankOf(cursor_) + up * step, 1, 8);
  SetCursorCell(CellOf(file, rank));
}

void TBoardView::keyPressEvent(QKeyEvent* event) {
  // Return, Escape and shortcuts go on to the dialog.
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Left:
      return MoveCursor(-1, 0);
    case Qt::Key_Right:
      return MoveCursor(1, 0);
    case Qt::Key_Up:
      return MoveCursor(0, 1);
    case Qt::Key_Down:
      return MoveCursor(0, -1);
    case Qt::Key_Space:
    case Qt::Key_Delete:
      return Put(cursor_, TCell{});
    default:
      break;
  }
  std::uint8_t piece = pNone, colour = cWhite;
  const QString text = event->text();
  if (text.size() == 1 && text[0].unicode() < 128 &&
      T_PGNParserO::PieceFromLetter(static_cast<char>(text[0].unicode()), piece, colour))
    return Put(cursor_, TCell{colour, piece});
  QWidget::keyPressEvent(event);
}

}  // namespace bq
