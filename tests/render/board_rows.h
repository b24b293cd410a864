#pragma once
// Test helper: the board lines of a position in a glyph map, made by hand
// the way the document's diagram writer lays them out (frame, west
// coordinates, south coordinates), for records the writers draw.
#include <string>
#include <string_view>

#include "chess/parser.h"
#include "chess/position.h"
#include "convert/diagram.h"
#include "fonts/catalogue.h"
#include "render/record.h"

namespace bq::test {

inline std::string Glyph(std::int32_t code) {
  return code & 0xFF ? std::string(1, static_cast<char>(code & 0xFF)) : std::string();
}

// The rows of the position of `epd`, with frame and coordinates as the
// glyph map allows.
inline std::vector<std::string> BoardRows(std::string_view epd, const ChessFontInfoRec& g,
                                          bool coords) {
  TPosition pos;
  InitPosition(pos);
  if (!ReadEPDLine(pos, epd)) return {};
  coords = coords && g.CoordinatesPossible;
  std::vector<std::string> rows;
  if (g.FullBorder) {
    std::string top = Glyph(coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) top += Glyph(g.BorderN);
    rows.push_back(top + Glyph(g.BorderNE));
  }
  for (int rank = 8; rank >= 1; --rank) {
    std::string row = coords ? Glyph(g.WestCoords[rank - 1]) : g.FullBorder ? Glyph(g.BorderW) : "";
    for (int file = 1; file <= 8; ++file) {
      const TCell c = pos.Core.Board[static_cast<std::size_t>((file - 1) * 8 + rank - 1)];
      row += Glyph(GetSquareGlyph(c.Piece, c.Colour, file, rank, g));
    }
    rows.push_back(row + (g.FullBorder ? Glyph(g.BorderE) : ""));
  }
  if (g.FullBorder) {
    std::string bottom = Glyph(coords ? g.CoordBorderSW : g.BorderSW);
    for (int f = 0; f < 8; ++f) bottom += Glyph(coords ? g.SouthCoords[f] : g.BorderS);
    rows.push_back(bottom + Glyph(g.BorderSE));
  }
  return rows;
}

}  // namespace bq::test
