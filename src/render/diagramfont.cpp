#include "render/diagramfont.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <tuple>

#include "render/rendererror.h"
#include "support/textcodec.h"

namespace bq {

namespace {

bool SameFamily(const FcChar8* a, const std::string& b) {
  return FcStrCmpIgnoreCase(a, reinterpret_cast<const FcChar8*>(b.c_str())) == 0;
}

// The file of the regular face of `family`. A file may list several
// families (a variant that also names its parent family): the one that
// lists the fewest is meant, as it names nothing else.
TFcPattern FindFontFile(const std::string& family) {
  TFcPattern query(FcPatternCreate());
  TFcObjectSet objects(
      FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, nullptr));
  if (!query || !objects) throw TRenderError("out of memory");
  FcPatternAddString(query.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  const TFcFontSet set(FcFontList(nullptr, query.get(), objects.get()));
  const FcPattern* best = nullptr;
  std::tuple<int, int, int> bestRank{};
  for (int i = 0; set && i < set->nfont; ++i) {
    const FcPattern* font = set->fonts[i];
    int families = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    bool named = false;
    FcChar8* name = nullptr;
    for (; FcPatternGetString(font, FC_FAMILY, families, &name) == FcResultMatch; ++families)
      named = named || SameFamily(name, family);
    FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(font, FC_SLANT, 0, &slant);
    const std::tuple<int, int, int> rank{families, std::abs(weight - FC_WEIGHT_REGULAR), slant};
    if (named && (!best || rank < bestRank)) {
      best = font;
      bestRank = rank;
    }
  }
  FcChar8* file = nullptr;
  if (!best || FcPatternGetString(best, FC_FILE, 0, &file) != FcResultMatch)
    throw TRenderError("the diagram font \"" + family + "\" is not installed");
  int index = 0;
  FcPatternGetInteger(best, FC_INDEX, 0, &index);
  TFcPattern found(FcPatternCreate());
  if (!found) throw TRenderError("out of memory");
  FcPatternAddString(found.get(), FC_FILE, file);
  FcPatternAddInteger(found.get(), FC_INDEX, index);
  return found;
}

// The glyph index of `code`, looked up as a word processor does: through
// Windows-1252 in a Unicode table, at U+F000 + code in a symbol table.
FT_UInt GlyphIndex(FT_Face face, unsigned char code, bool symbolFirst) {
  const auto lookUp = [&](FT_Encoding encoding, FT_ULong c) -> FT_UInt {
    if (c == 0 || FT_Select_Charmap(face, encoding) != 0) return 0;
    return FT_Get_Char_Index(face, c);
  };
  const FT_UInt symbol = symbolFirst ? lookUp(FT_ENCODING_MS_SYMBOL, 0xF000 + code) : 0;
  if (symbol != 0) return symbol;
  if (const FT_UInt u = lookUp(FT_ENCODING_UNICODE, Windows1252Char(code)); u != 0) return u;
  if (const FT_UInt u = lookUp(FT_ENCODING_UNICODE, code); u != 0) return u;
  return symbolFirst ? 0 : lookUp(FT_ENCODING_MS_SYMBOL, 0xF000 + code);
}

}  // namespace

TDiagramFont::TDiagramFont(const std::string& family, bool symbolCharset) {
  const TFcPattern pattern = FindFontFile(family);
  face_.reset(cairo_ft_font_face_create_for_pattern(pattern.get()));
  cairo_matrix_t unit;
  cairo_matrix_init_identity(&unit);
  const TCairoFontOptions options(cairo_font_options_create());
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  const TCairoScaledFont scaled(cairo_scaled_font_create(face_.get(), &unit, &unit, options.get()));
  if (cairo_scaled_font_status(scaled.get()) != CAIRO_STATUS_SUCCESS)
    throw TRenderError("the diagram font \"" + family + "\" cannot be read");
  FT_Face face = cairo_ft_scaled_font_lock_face(scaled.get());
  if (!face) throw TRenderError("the diagram font \"" + family + "\" cannot be read");
  const double em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
  if (face->ascender - face->descender > 0)
    baseline_ = face->ascender / static_cast<double>(face->ascender - face->descender);
  for (int code = 1; code < 256; ++code) {
    TGlyph& g = glyphs_[static_cast<std::size_t>(code)];
    g.Index = GlyphIndex(face, static_cast<unsigned char>(code), symbolCharset);
    g.Ink = g.Index != 0;
    // A code the font lacks still takes a square, so the board keeps its shape.
    g.Advance = 1;
    if (g.Ink && FT_Load_Glyph(face, static_cast<FT_UInt>(g.Index), FT_LOAD_NO_SCALE) == 0)
      g.Advance = face->glyph->advance.x / em;
  }
  cairo_ft_scaled_font_unlock_face(scaled.get());
}

}  // namespace bq
