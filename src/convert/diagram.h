#pragma once
// Draws the board of one position as RTF text in a chess diagram font: one
// paragraph per rank, with an optional frame and coordinates.
#include <cstdint>
#include <string>
#include <string_view>

#include "chess/position.h"
#include "fonts/catalogue.h"

namespace bq {

// The glyph of one square; a1 is dark (file + rank even).
std::int32_t GetSquareGlyph(std::uint8_t piece, std::uint8_t colour, int file, int rank,
                            const ChessFontInfoRec& glyphs);

// Appends head, " ", the glyph lines and "\par", tail, CR LF to `out`.
void AppendDiagram(std::string& out, const TPosition& rec, std::string_view head,
                   std::string_view tail, bool showCoords, const ChessFontInfoRec& glyphs);
std::string WriteDiagram(const TPosition& rec, std::string_view head, std::string_view tail,
                         bool showCoords, const ChessFontInfoRec& glyphs);

}  // namespace bq
