#pragma once
// The position editor's board: draws the position with coordinates in
// either orientation and turns mouse and keys into edits, which it asks
// for by signal; the owner changes the position and shows it again.
#include <QWidget>

#include "chess/position.h"

namespace bq {

class TPieceArt;

class TBoardView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMinSquare = 40;

  // `art` must outlive the view.
  TBoardView(const TPieceArt& art, QWidget* parent = nullptr);

  void SetPosition(const TPositionCore& core);
  void SetFromBlack(bool fromBlack);
  bool FromBlack() const { return fromBlack_; }
  // What a left click puts; an empty cell erases.
  void SetBrush(TCell brush) { brush_ = brush; }
  // The keyboard's square, a cell 0..63.
  int CursorCell() const { return cursor_; }
  void SetCursorCell(int cell);
  // The bottom-left square as drawn: a1, or h8 from Black.
  void PutCursorBottomLeft();
  // Where a square is drawn.
  QRect SquareRect(int cell) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // A cell's new content (an empty cell to empty it).
  void PutRequested(int cell, int colour, int piece);
  // A piece dragged to another square, or off the board (`to` -1).
  void MoveRequested(int from, int to);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int Margin() const;  // room for the coordinates
  int SquareSize() const;
  QRect BoardRect() const;
  int CellAt(QPoint point) const;  // -1 off the board
  void Put(int cell, TCell content);
  void MoveCursor(int right, int up);  // as drawn

  const TPieceArt& art_;
  TPositionCore core_;
  bool fromBlack_ = false;
  TCell brush_{cWhite, pPawn};
  int cursor_ = 0;
  // A left button held on a square; a drag once the mouse has gone far
  // enough with a piece.
  int pressed_ = -1;
  QPoint pressPoint_, dragPoint_;
  bool dragging_ = false;
};

}  // namespace bq
