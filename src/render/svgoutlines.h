#pragma once
// SVG documents in which every glyph is a path: a viewer needs no font,
// and no <text> element is written.
#include <string>
#include <unordered_map>

#include "render/cairoptr.h"
#include "render/textbox.h"

namespace bq {

class TSvgOutlines {
 public:
  TSvgOutlines();

  // The outline of one glyph with its baseline origin at (0, 0), as path
  // data; made once per glyph, since a board repeats a few glyphs.
  const std::string& Glyph(cairo_scaled_font_t* font, unsigned long index);
  // Appends the outlines of a laid-out text, top left at (x, y), as path
  // data.
  void AppendText(std::string& out, const TTextBox& text, double x, double y);

 private:
  void AppendPath(std::string& out);

  TCairoSurface scratch_;
  TCairo cr_;
  std::unordered_map<unsigned long, std::string> glyphs_;
};

// A coordinate as SVG writes it: at most two decimals, no trailing zeros.
void AppendSvgNumber(std::string& out, double v);
// The same for a count of hundredths.
void AppendSvgHundredths(std::string& out, long long hundredths);

}  // namespace bq
