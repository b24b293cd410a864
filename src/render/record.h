#pragma once
// What the picture writers draw: one record of the document as plain bytes
// (no RTF), and the style shared by all records of a document.
#include <string>
#include <vector>

#include "convert/driver.h"

namespace bq {

// The converter's parts of a record are what the pictures draw:
// Above: text lines above the board (operations as printed, e.g.
// `bm: Qd1+`), bytes as read: well-formed UTF-8 sequences are read as such,
// any other byte as Windows-1252, as the RTF document shows them.
// Rows: board lines from top to bottom, frame and coordinates included;
// each byte is one glyph code of the diagram font (0 draws nothing).
// MarkRow: the row that carries the side-to-move mark after its last
// glyph, or -1. Caption: a line under the board in the text font; empty
// for none.
using TPictureRecord = TRecordParts;

enum class TPaper { A4, Letter };

struct TPictureStyle {
  std::string DiagFont;
  bool DiagSymbolCharset = false;  // the font's codes are those of a symbol font
  double DiagFontSize = 20;        // points: one row of the board, one square
  std::string TextFont = "Arial";
  double TextFontSize = 10;  // points
  // Pictures: one square in pixels; the texts keep their size relative to
  // the board.
  int SquarePx = 40;
  bool Transparent = false;  // pictures: no background
  // Documents.
  TPaper Paper = TPaper::A4;
  double MarginPt = 72 * 2 / 2.54;  // 2 cm
  int Columns = 1;                  // records side by side, 1..4
};

}  // namespace bq
