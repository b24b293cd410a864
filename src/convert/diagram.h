#pragma once
// Draws the board of one position in a chess diagram font: as RTF text, one
// paragraph per rank with an optional frame and coordinates, or as the
// glyph rows a picture is drawn from.
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

// How the diagram's paragraphs stand in the document.
enum class TDiagramFlow {
  Plain,
  // The last line opens with "\pard ": it ends the chain of \keepn that the
  // record starts, so that no page break falls inside the diagram.
  KeepWhole,
  // In a table cell: no "\pard" on the last line (it would end \intbl), and
  // a reset after the diagram restates \intbl.
  InCell,
};

// The mark of the side to move, beside the mover's first rank line: a
// blank, then a white square (White to move) or a black one, in the text
// font. [0] White, [1] Black.
struct TMoverMark {
  int Code;          // of the square
  const char* Utf8;  // the blank and the square
};
inline constexpr TMoverMark kMoverMarks[2] = {{0x25A1, " \u25A1"}, {0x25A0, " \u25A0"}};

// A board as lines of glyph codes, top to bottom, frame and coordinates
// included, one byte per glyph (0 draws nothing), unescaped; and the line
// that carries the mark after its last glyph (-1 for none).
struct TBoardRows {
  std::vector<std::string> Rows;
  int MarkRow = -1;
  bool MarkBlack = false;
  bool FromBlack = false;  // rank 1 at the top, files h to a
};

struct TDiagramLayout {
  bool ShowCoords = false;
  TDiagramFlow Flow = TDiagramFlow::Plain;
  // A white (White to move) or black square in the text font right of the
  // mover's first rank line. Its glyph would make that line taller, so the
  // diagram's lines then get an exact pitch of DiagFontSize points, and the
  // paragraph properties are reset after the diagram.
  bool MoverMark = false;
  std::int32_t DiagFontSize = 20;
};

// The diagram text of one glyph map, made up front: every glyph escaped
// once, the frame of each view laid out with a hole for the squares of
// each rank. A conversion draws many boards with the same map; this way a
// board costs a few table look-ups and block copies.
class TDiagramWriter {
 public:
  TDiagramWriter(const ChessFontInfoRec& glyphs, const TDiagramLayout& layout);

  // Writes the board (the text between head " " and End()) at p and returns
  // its end; up to kSlack bytes after the end are overwritten too. From
  // Black: rank 1 at the top, files h to a, squares keep their colours.
  char* WriteBoard(char* p, const TPositionCore& core, bool fromBlack = false) const;
  static constexpr std::size_t kSlack = 128;
  std::size_t MaxBoardSize() const { return maxBoard_; }  // the most WriteBoard writes
  // What closes the last line: "\par", and with the mark the reset.
  std::string_view End() const { return end_; }

  // WriteBoard with some squares shaded: shades[cell] is a colour table
  // index (0: none) whose glyph becomes {\chshdng0\chcbpatN glyph}. Up to
  // kShadeRoom bytes more than WriteBoard.
  using TShades = std::array<std::uint8_t, 64>;
  char* WriteShadedBoard(char* p, const TPositionCore& core, bool fromBlack,
                         const TShades& shades) const;
  static constexpr std::size_t kShadeRoom = 64 * 24;

  // The same board as glyph rows, for pictures.
  TBoardRows Rows(const TPositionCore& core, bool fromBlack = false) const;

 private:
  // The text of a frame with an 8-byte hole for each rank line's squares,
  // top to bottom: Ends[i] is where the text before rank line i ends
  // (i < 8), Ends[8] the size. Copied in blocks of 32 bytes.
  struct TFrame {
    std::array<char, 512> Text{};
    std::array<std::uint16_t, 9> Ends{};
  };
  // The glyph of a cell by square colour (0 light, 1 dark) and code
  // (colour * 8 + piece, both cut to 3 and 7), its size in the last byte;
  // and, when byte shuffles are at hand and every cell a reader writes
  // draws as one byte, those bytes by square colour at (code + 15) % 16.
  struct TGlyphs {
    std::array<std::array<std::array<char, 8>, 32>, 2> Texts{};
    std::array<std::array<char, 16>, 2> Bytes{};
    bool Shuffle = false;
  };

  static char* Write(char* p, const TPositionCore& core, bool fromBlack, const TGlyphs& glyphs,
                     const TFrame& frame);
  static char* WriteGlyphs(char* p, const TPositionCore& core, bool fromBlack,
                           const TGlyphs& glyphs, const TFrame& frame,
                           const TShades* shades = nullptr);
  template <bool FromBlack>
  static char* WriteShuffled(char* p, const TPositionCore& core, const TGlyphs& glyphs,
                             const TFrame& frame);

  TGlyphs rtf_, raw_;
  std::array<TFrame, 4> frames_;  // [2 * fromBlack + (mark on and Black to move)]
  std::array<TFrame, 2> rawFrames_;
  std::string end_ = "\\par";
  bool mark_ = false, border_ = false;
  std::size_t maxBoard_ = 0;
};

}  // namespace bq
