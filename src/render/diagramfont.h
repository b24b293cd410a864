#pragma once
// The installed diagram font, found through fontconfig, and the glyph that
// each 8-bit code of the font description draws.
#include <array>
#include <string>

#include "render/cairoptr.h"

namespace bq {

class TDiagramFont {
 public:
  struct TGlyph {
    unsigned long Index = 0;
    double Advance = 0;  // in em
    bool Ink = false;    // false: the code draws nothing (0, or not in the font)
  };

  // `symbolCharset`: the codes are those of a symbol font (U+F000 + code).
  // Throws TRenderError when no installed font has the family `family`.
  TDiagramFont(const std::string& family, bool symbolCharset);

  cairo_font_face_t* Face() const { return face_.get(); }
  const TGlyph& Glyph(unsigned char code) const { return glyphs_[code]; }
  // Where the baseline lies in a row, as a fraction of the row's height
  // from its top: the font's ascent over ascent plus descent.
  double BaselineInRow() const { return baseline_; }

 private:
  TCairoFontFace face_;
  std::array<TGlyph, 256> glyphs_{};
  double baseline_ = 1;
};

}  // namespace bq
