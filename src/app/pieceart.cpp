#include "app/pieceart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "app/app.h"
#include "convert/diagram.h"
#include "support/bitmapsets.h"
#include "support/textcodec.h"

namespace bq {

namespace {

// The bitmaps' cells: white king, queen, rook, bishop, knight, pawn, the
// same in black, then an empty light and an empty dark square.
constexpr int kLightCell = 12, kDarkCell = 13;
int BitmapCell(TCell cell) {
  return (cell.Colour == cBlack ? 6 : 0) + (pKing - cell.Piece);
}

bool HoldsPiece(TCell cell) {
  return cell.Colour <= cBlack && cell.Piece >= pPawn && cell.Piece <= pKing;
}

// Around the pieces the bitmaps hold a mask colour.
QImage MaskedCells(const QImage& image) {
  QImage cells = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb mask = qRgb(255, 0, 255);
  for (int y = 0; y < cells.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(cells.scanLine(y));
    for (int x = 0; x < cells.width(); ++x)
      if (line[x] == mask) line[x] = qRgba(0, 0, 0, 0);
  }
  return cells;
}

// Of the first family of built-in sets, the smallest that is not smaller
// than the square, else the largest: scaled down rather than up.
const TBuiltInBitmapSet& BitmapSetFor(int size) {
  const auto& sets = BuiltInBitmapSets();
  const TBuiltInBitmapSet *fit = nullptr, *largest = nullptr;
  for (const TBuiltInBitmapSet& set : sets) {
    if (std::string_view(set.Family) != sets.front().Family) continue;
    if (!largest || set.Height > largest->Height) largest = &set;
    if (set.Height >= size && (!fit || set.Height < fit->Height)) fit = &set;
  }
  return fit ? *fit : *largest;
}

}  // namespace

TPieceArt::TPieceArt() = default;

TPieceArt::TPieceArt(const QString& family, const ChessFontInfoRec& glyphs)
    : family_(family), glyphs_(glyphs) {}

void TPieceArt::Prepare(int size) const {
  if (size == size_) return;
  size_ = size;
  if (!UsesFont()) {
    const TBuiltInBitmapSet& set = BitmapSetFor(size);
    if (set.Height != cellSize_) {
      cells_ = MaskedCells(QImage(BitmapImagePath(set.Resource, false)));
      cellSize_ = set.Height;
    }
    return;
  }
  // A dark square's blank fills its square: its advance gives the width,
  // its ink the height's middle.
  std::int32_t reference = glyphs_.Blank[1] & 0xFF;
  if (reference == 0) reference = glyphs_.Pieces[pKing][cWhite][1] & 0xFF;
  const QString text(QChar(static_cast<char32_t>(
      Windows1252Char(static_cast<unsigned char>(reference != 0 ? reference : 'M')))));
  constexpr int kProbe = 100;
  font_ = QFont(family_);
  font_.setPixelSize(kProbe);
  const qreal probe = QFontMetricsF(font_).horizontalAdvance(text);
  font_.setPixelSize(
      std::max(1, static_cast<int>(std::lround(kProbe * size / std::max(probe, 1.0)))));
  const QFontMetricsF metrics(font_);
  const QRectF ink = metrics.tightBoundingRect(text);
  const qreal middle =
      ink.isEmpty() ? (metrics.descent() - metrics.ascent()) / 2 : ink.center().y();
  origin_ = QPointF((size - metrics.horizontalAdvance(text)) / 2, size / 2.0 - middle);
}

void TPieceArt::DrawGlyph(QPainter& painter, const QRect& rect, std::int32_t glyph) const {
  const auto code = static_cast<unsigned char>(glyph & 0xFF);
  if (code == 0) return;
  Prepare(rect.width());
  painter.setFont(font_);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(rect.topLeft()) + origin_,
                   QString(QChar(static_cast<char32_t>(Windows1252Char(code)))));
}

void TPieceArt::DrawBitmapCell(QPainter& painter, const QRect& rect, int index) const {
  Prepare(rect.width());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect, cells_, QRect(index * cellSize_, 0, cellSize_, cellSize_));
}

void TPieceArt::DrawSquare(QPainter& painter, const QRect& rect, TCell cell, bool dark) const {
  if (UsesFont()) {
    painter.fillRect(rect, Qt::white);
    const int file = 1, rank = dark ? 1 : 2;  // a1 is dark
    DrawGlyph(painter, rect, GetSquareGlyph(cell.Piece, cell.Colour, file, rank, glyphs_));
    return;
  }
  DrawBitmapCell(painter, rect, dark ? kDarkCell : kLightCell);
  if (HoldsPiece(cell)) DrawBitmapCell(painter, rect, BitmapCell(cell));
}

void TPieceArt::DrawPiece(QPainter& painter, const QRect& rect, TCell cell) const {
  if (!HoldsPiece(cell)) return;
  if (UsesFont())
    DrawGlyph(painter, rect, glyphs_.Pieces[cell.Piece][cell.Colour][0]);
  else
    DrawBitmapCell(painter, rect, BitmapCell(cell));
}

}  // namespace bq
