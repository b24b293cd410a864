#pragma once
// Draws the board lines of a record, and the side-to-move mark, on any
// Cairo surface: rows sit flush, one row per diagram size, one glyph
// advance per square.
#include <array>
#include <string>
#include <vector>

#include "convert/diagram.h"
#include "render/cairoptr.h"
#include "render/diagramfont.h"
#include "render/markpainter.h"
#include "render/textbox.h"

namespace bq {

class TBoardPainter {
 public:
  // `diagSize`: the diagram font's size in surface units; the mark is set
  // in `textFamily` at that size. With `searchable`, the board's codes go
  // with its glyphs as text (a PDF's text layer).
  TBoardPainter(const TDiagramFont& font, double diagSize, PangoContext* text,
                const char* textFamily, bool searchable);

  // Where the mark of the last record placed goes: its text box with the
  // top left corner of the box.
  struct TMarkPlace {
    const TTextBox* Box = nullptr;  // null: no mark
    double X = 0, Y = 0;
  };

  double Pitch() const { return size_; }
  double Height(const TBoardRows& board) const { return size_ * board.Rows.size(); }
  // The widest row, the mark included.
  double Width(const TBoardRows& board) const;
  void Draw(cairo_t* cr, const TBoardRows& board, double x, double y);
  // Where the squares of `board` stand when its top left corner is at
  // (x, y): the squares are the last eight glyphs of a rank line, or the
  // eight before the frame's east side.
  TSquareGrid Grid(const TBoardRows& board, double x, double y) const;

  // What Draw draws, for surfaces that write glyphs their own way: the
  // glyphs of the board with the top left corner at (x, y), and the mark.
  const TMarkPlace& Place(const TBoardRows& board, double x, double y);
  const std::vector<cairo_glyph_t>& Glyphs() const { return glyphs_; }
  cairo_scaled_font_t* ScaledFont() const { return scaled_.get(); }

 private:
  double RowWidth(const std::string& row) const;

  const TDiagramFont& font_;
  double size_;
  bool searchable_;
  TCairoScaledFont scaled_;
  TTextBox whiteMark_, blackMark_;  // " " and the mark, in the text font
  std::vector<cairo_glyph_t> glyphs_;
  TMarkPlace mark_;
  std::array<std::string, 256> chars_;          // with `searchable`: the character of each code
  std::string text_;                            // with `searchable`: the glyphs' characters
  std::vector<cairo_text_cluster_t> clusters_;  // one per glyph
};

}  // namespace bq
