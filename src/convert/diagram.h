#pragma once
// Draws the board of one position as RTF text in a chess diagram font: one
// paragraph per rank, with an optional frame and coordinates.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "fonts/catalogue.h"

namespace bq {

// The glyph of one square; a1 is dark (file + rank even).
std::int32_t GetSquareGlyph(std::uint8_t piece, std::uint8_t colour, int file, int rank,
                            const ChessFontInfoRec& glyphs);

// The diagram text of one glyph map, with every glyph escaped once up front:
// a conversion draws many boards with the same map, and this way each square
// costs one table look-up.
class TDiagramWriter {
 public:
  TDiagramWriter(const ChessFontInfoRec& glyphs, bool showCoords);

  // Appends head, " ", the glyph lines and "\par", tail, CR LF to `out`.
  void Append(std::string& out, const TPositionCore& core, std::string_view head,
              std::string_view tail) const;

  // The bytes between head and "\par" at most.
  std::size_t MaxBoardSize() const { return maxBoard_; }
  // Writes the board (the text between head " " and "\par") at p and
  // returns its end. Blocks are copied whole: up to kSlack bytes after the
  // end are overwritten too.
  static constexpr std::size_t kSlack = 64;
  char* WriteBoard(char* p, const TPositionCore& core) const;
  // WriteBoard for a board as the EPD readers fill it: every cell empty or
  // a White or Black piece 1..6. Spares the tests of the board.
  char* WriteReadBoard(char* p, const TPositionCore& core) const;

 private:
  // Text of a frame part, stored with spare room so that it can be copied
  // as one block.
  struct TPiece {
    std::array<char, 64> Bytes{};
    std::uint8_t Size = 0;
  };

  char* WriteBoardChecked(char* p, const TPositionCore& core) const;
  char* WriteReadBoardVector(char* p, const TPositionCore& core) const;

  // The escaped glyph of a square content, indexed by the two bytes of its
  // cell read as one number (colour | piece << 8) for every cell value
  // below 8 << 8: bytes in the low 4 bytes, their count in the top byte.
  static constexpr std::size_t kCellValues = 8 << 8;
  std::vector<std::uint64_t> squares_;  // [square colour (0 light, 1 dark)][cell value]
  // The same when every square content draws as one unescaped byte, as in
  // every font shipped: then each square is one byte copied.
  std::vector<char> squareBytes_;  // empty otherwise
  // squareBytes_ draws every empty cell and every White or Black piece
  // 1..6 as one byte, and the cells are read in the table's byte order.
  bool readBoardBytes_ = false;
  // With readBoardBytes_ on a processor that has SSSE3: the byte of each
  // square content by colour * 8 + piece (0 for empty), on light and dark
  // squares, for sixteen squares at a time.
  bool vectorBoard_ = false;
  std::array<char, 16> lightBytes_{};
  std::array<char, 16> darkBytes_{};
  // What stands between the squares of rank 8 to 1: top_ and the head of
  // rank 8, then a row's tail with the next row's head (16 bytes at most),
  // then the tail of rank 1 and bottom_.
  std::array<TPiece, 9> joints_;
  TPiece top_;                     // first line and CR LF, or nothing
  std::array<TPiece, 8> rowHead_;  // "\par " and the west glyph of rank 1..8
  TPiece rowTail_;                 // the east glyph and CR LF
  TPiece bottom_;                  // "\par " and the last line, or nothing
  std::size_t maxBoard_ = 0;
};

// Appends head, " ", the glyph lines and "\par", tail, CR LF to `out`.
void AppendDiagram(std::string& out, const TPosition& rec, std::string_view head,
                   std::string_view tail, bool showCoords, const ChessFontInfoRec& glyphs);
std::string WriteDiagram(const TPosition& rec, std::string_view head, std::string_view tail,
                         bool showCoords, const ChessFontInfoRec& glyphs);

}  // namespace bq
