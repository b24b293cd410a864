#pragma once
// A paragraph block in the text font, laid out by Pango: lines break at
// the given width, each '\n' starts a paragraph.
#include <string_view>
#include <vector>

#include "render/cairoptr.h"

namespace bq {

class TTextBox {
 public:
  // `size` in the units of the surface drawn on.
  TTextBox(PangoContext* context, const char* family, double size);

  // Lays out `utf8`; a width of 0 or less does not break lines. With
  // `attributes` (byte ranges of `utf8`), parts of the text are set
  // otherwise; without, all of it in the box's font.
  void SetText(std::string_view utf8, double width, PangoAttrList* attributes = nullptr);
  double Height() const;
  double Width() const;     // of the widest line
  double Baseline() const;  // of the first line, from the top
  void Draw(cairo_t* cr, double x, double y) const;
  // Adds the outlines of the text, top left at (x, y), to the current path.
  void AddPath(cairo_t* cr, double x, double y) const;
  bool Empty() const { return empty_; }

  // The lines of the text as laid out, for text that must run on over a
  // page end: extents from the box's top, valid until the next SetText.
  struct TLine {
    PangoLayoutLine* Line = nullptr;
    double Top = 0, Bottom = 0, Baseline = 0, X = 0;
  };
  std::vector<TLine> Lines() const;
  // Draws `line` with its top at y and the box's left edge at x.
  static void DrawLine(cairo_t* cr, const TLine& line, double x, double y);

 private:
  TGObject<PangoLayout> layout_;
  bool empty_ = true;
};

// The fonts and the Pango context every text box of a writer shares: sizes
// in surface units, no hinting, so that a line breaks at the same place on
// every surface.
class TTextContext {
 public:
  TTextContext();
  PangoContext* Get() const { return static_cast<PangoContext*>(context_.get()); }

 private:
  TGObject<PangoFontMap> fonts_;
  TGObject<PangoContext> context_;
};

}  // namespace bq
