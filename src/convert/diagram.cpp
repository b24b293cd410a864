#include "convert/diagram.h"

#include "fonts/rtf.h"

namespace bq {

std::int32_t GetSquareGlyph(std::uint8_t piece, std::uint8_t colour, int file, int rank,
                            const ChessFontInfoRec& glyphs) {
  const int squareColour = (file + rank) % 2 == 0 ? 1 : 0;
  if (piece == pNone) return glyphs.Blank[squareColour];
  // The record never holds other codes; refuse them rather than index past the map.
  if (piece > pKing || colour > cBlack) return 0;
  return glyphs.Pieces[piece][colour][squareColour];
}

namespace {

// A glyph whose low byte is 0 has nothing to draw; writing a NUL would cut
// the document short in most readers.
inline void PushGlyph(char* line, int& n, std::int32_t glyph) {
  const auto c = static_cast<unsigned char>(glyph & 0xFF);
  if (c != 0) line[n++] = static_cast<char>(c);
}

}  // namespace

void AppendDiagram(std::string& out, const TPosition& rec, std::string_view head,
                   std::string_view tail, bool showCoords, const ChessFontInfoRec& g) {
  const bool coords = showCoords && g.CoordinatesPossible;
  const bool border = g.FullBorder;
  char line[10];
  int n = 0;

  out.append(head);
  out.push_back(' ');
  if (border) {
    n = 0;
    PushGlyph(line, n, coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) PushGlyph(line, n, g.BorderN);
    PushGlyph(line, n, g.BorderNE);
    AppendRTFGlyphs(out, std::string_view(line, n));
    out.append("\r\n");
  }
  const TPositionCore& core = rec.Core;
  for (int rank = 8; rank >= 1; --rank) {
    n = 0;
    if (coords) {
      PushGlyph(line, n, g.WestCoords[rank - 1]);
    } else if (border) {
      PushGlyph(line, n, g.BorderW);
    }
    for (int file = 1; file <= 8; ++file) {
      const TCell& cell = core.Board[(file - 1) * 8 + (rank - 1)];
      PushGlyph(line, n, GetSquareGlyph(cell.Piece, cell.Colour, file, rank, g));
    }
    if (border) PushGlyph(line, n, g.BorderE);
    out.append("\\par ");
    AppendRTFGlyphs(out, std::string_view(line, n));
    out.append("\r\n");
  }
  if (border) {
    n = 0;
    PushGlyph(line, n, coords ? g.CoordBorderSW : g.BorderSW);
    for (int f = 0; f < 8; ++f) PushGlyph(line, n, coords ? g.SouthCoords[f] : g.BorderS);
    PushGlyph(line, n, g.BorderSE);
    out.append("\\par ");
    AppendRTFGlyphs(out, std::string_view(line, n));
  }
  out.append("\\par");
  out.append(tail);
  out.append("\r\n");
}

std::string WriteDiagram(const TPosition& rec, std::string_view head, std::string_view tail,
                         bool showCoords, const ChessFontInfoRec& glyphs) {
  std::string out;
  AppendDiagram(out, rec, head, tail, showCoords, glyphs);
  return out;
}

}  // namespace bq
