#pragma once
// How the position editor draws squares and pieces: in the diagram font
// through its glyph map, as the preview shows diagrams, or, without a
// usable diagram font, with the program's built-in piece bitmaps.
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include "chess/position.h"
#include "fonts/catalogue.h"

class QPainter;

namespace bq {

class TPieceArt {
 public:
  // The built-in piece bitmaps.
  TPieceArt();
  // The diagram font `family` with its glyph map.
  TPieceArt(const QString& family, const ChessFontInfoRec& glyphs);

  bool UsesFont() const { return !family_.isEmpty(); }
  // A square of the board with the cell's piece, `rect` a square.
  void DrawSquare(QPainter& painter, const QRect& rect, TCell cell, bool dark) const;
  // The piece alone (the palette, a dragged piece); nothing for an empty
  // cell.
  void DrawPiece(QPainter& painter, const QRect& rect, TCell cell) const;

 private:
  void DrawGlyph(QPainter& painter, const QRect& rect, std::int32_t glyph) const;
  void DrawBitmapCell(QPainter& painter, const QRect& rect, int index) const;
  void Prepare(int size) const;

  QString family_;
  ChessFontInfoRec glyphs_;
  // Made for the last square size drawn: the font at the pixel size whose
  // glyphs fill a square and where a glyph's origin lies in its square; or
  // the bitmap set whose cells come nearest.
  mutable int size_ = 0;
  mutable QFont font_;
  mutable QPointF origin_;
  mutable QImage cells_;
  mutable int cellSize_ = 0;
};

}  // namespace bq
