#include "render/textbox.h"

#include <pango/pangocairo.h>

#include <cmath>

#include "render/rendererror.h"

namespace bq {

TTextContext::TTextContext() : fonts_(pango_cairo_font_map_new()) {
  if (!fonts_) throw TRenderError("cannot find the text fonts");
  context_.reset(pango_font_map_create_context(static_cast<PangoFontMap*>(fonts_.get())));
  if (!context_) throw TRenderError("cannot lay out text");
  PangoContext* ctx = Get();
  pango_cairo_context_set_resolution(ctx, 72);
  const TCairoFontOptions options(cairo_font_options_create());
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(ctx, options.get());
  pango_context_set_round_glyph_positions(ctx, FALSE);
}

TTextBox::TTextBox(PangoContext* context, const char* family, double size)
    : layout_(pango_layout_new(context)) {
  if (!layout_) throw TRenderError("cannot lay out text");
  const TPangoFontDescription font(pango_font_description_new());
  pango_font_description_set_family(font.get(), family);
  pango_font_description_set_absolute_size(font.get(), size * PANGO_SCALE);
  auto* layout = static_cast<PangoLayout*>(layout_.get());
  pango_layout_set_font_description(layout, font.get());
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
}

void TTextBox::SetText(std::string_view utf8, double width, PangoAttrList* attributes) {
  auto* layout = static_cast<PangoLayout*>(layout_.get());
  pango_layout_set_attributes(layout, attributes);
  pango_layout_set_width(layout, width > 0 ? static_cast<int>(width * PANGO_SCALE) : -1);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  empty_ = utf8.empty();
}

double TTextBox::Height() const {
  if (empty_) return 0;
  int w = 0, h = 0;
  pango_layout_get_size(static_cast<PangoLayout*>(layout_.get()), &w, &h);
  return static_cast<double>(h) / PANGO_SCALE;
}

double TTextBox::Width() const {
  if (empty_) return 0;
  int w = 0, h = 0;
  pango_layout_get_size(static_cast<PangoLayout*>(layout_.get()), &w, &h);
  return static_cast<double>(w) / PANGO_SCALE;
}

double TTextBox::Baseline() const {
  return static_cast<double>(pango_layout_get_baseline(static_cast<PangoLayout*>(layout_.get()))) /
         PANGO_SCALE;
}

void TTextBox::Draw(cairo_t* cr, double x, double y) const {
  if (empty_) return;
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, static_cast<PangoLayout*>(layout_.get()));
}

std::vector<TTextBox::TLine> TTextBox::Lines() const {
  std::vector<TLine> lines;
  if (empty_) return lines;
  PangoLayoutIter* it = pango_layout_get_iter(static_cast<PangoLayout*>(layout_.get()));
  do {
    int top = 0, bottom = 0;
    PangoRectangle logical;
    pango_layout_iter_get_line_yrange(it, &top, &bottom);
    pango_layout_iter_get_line_extents(it, nullptr, &logical);
    lines.push_back({pango_layout_iter_get_line_readonly(it), double(top) / PANGO_SCALE,
                     double(bottom) / PANGO_SCALE,
                     double(pango_layout_iter_get_baseline(it)) / PANGO_SCALE,
                     double(logical.x) / PANGO_SCALE});
  } while (pango_layout_iter_next_line(it));
  pango_layout_iter_free(it);
  return lines;
}

void TTextBox::DrawLine(cairo_t* cr, const TLine& line, double x, double y) {
  cairo_move_to(cr, x + line.X, y + line.Baseline - line.Top);
  pango_cairo_show_layout_line(cr, line.Line);
}

void TTextBox::AddPath(cairo_t* cr, double x, double y) const {
  if (empty_) return;
  cairo_move_to(cr, x, y);
  pango_cairo_layout_path(cr, static_cast<PangoLayout*>(layout_.get()));
}

}  // namespace bq
