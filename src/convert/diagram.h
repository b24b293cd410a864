#pragma once
// Draws the board of one position as RTF text in a chess diagram font: one
// paragraph per rank, with an optional frame and coordinates.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chess/position.h"
#include "fonts/catalogue.h"

namespace bq {

// The glyph of one square; a1 is dark (file + rank even).
std::int32_t GetSquareGlyph(std::uint8_t piece, std::uint8_t colour, int file, int rank,
                            const ChessFontInfoRec& glyphs);

// The diagram text of one glyph map, made up front: every glyph escaped
// once, the frame laid out with a hole for the squares of each rank. A
// conversion draws many boards with the same map; this way a board costs a
// few table look-ups and block copies.
class TDiagramWriter {
 public:
  TDiagramWriter(const ChessFontInfoRec& glyphs, bool showCoords);

  // Appends head, " ", the glyph lines and "\par", tail, CR LF to `out`.
  void Append(std::string& out, const TPositionCore& core, std::string_view head,
              std::string_view tail) const;

  // Writes the board (the text between head " " and "\par") at p and
  // returns its end; up to kSlack bytes after the end are overwritten too.
  char* WriteBoard(char* p, const TPositionCore& core) const;
  static constexpr std::size_t kSlack = 128;
  std::size_t MaxBoardSize() const { return maxBoard_; }  // the most WriteBoard writes

 private:
  // The text of the frame with an 8-byte hole for each rank line's squares,
  // top to bottom: Ends[i] is where the text before rank line i ends
  // (i < 8), Ends[8] the size. Copied in blocks of 32 bytes.
  struct TFrame {
    std::array<char, 512> Text{};
    std::array<std::uint16_t, 9> Ends{};
  };

  char* WriteGlyphs(char* p, const TPositionCore& core, const TFrame& frame) const;
  char* WriteShuffled(char* p, const TPositionCore& core, const TFrame& frame) const;

  // The escaped glyph of a cell by square colour (0 light, 1 dark) and code
  // (colour * 8 + piece, both cut to 3 and 7), its size in the last byte.
  std::array<std::array<std::array<char, 8>, 32>, 2> texts_{};
  // When byte shuffles are at hand and every cell a reader writes draws as
  // one byte: those bytes by square colour, at (code + 15) % 16.
  std::array<std::array<char, 16>, 2> bytes_{};
  bool shuffle_ = false;
  TFrame frame_;
  std::size_t maxBoard_ = 0;
};

// Appends head, " ", the glyph lines and "\par", tail, CR LF to `out`.
void AppendDiagram(std::string& out, const TPosition& rec, std::string_view head,
                   std::string_view tail, bool showCoords, const ChessFontInfoRec& glyphs);
std::string WriteDiagram(const TPosition& rec, std::string_view head, std::string_view tail,
                         bool showCoords, const ChessFontInfoRec& glyphs);

}  // namespace bq
