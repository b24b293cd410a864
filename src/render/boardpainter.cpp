#include "render/boardpainter.h"

#include <algorithm>

#include "render/rendererror.h"
#include "support/textcodec.h"

namespace bq {

namespace {

TCairoScaledFont MakeScaledFont(cairo_font_face_t* face, double size) {
  cairo_matrix_t matrix, identity;
  cairo_matrix_init_scale(&matrix, size, size);
  cairo_matrix_init_identity(&identity);
  const TCairoFontOptions options(cairo_font_options_create());
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  TCairoScaledFont scaled(cairo_scaled_font_create(face, &matrix, &identity, options.get()));
  if (cairo_scaled_font_status(scaled.get()) != CAIRO_STATUS_SUCCESS)
    throw TRenderError("cannot scale the diagram font");
  return scaled;
}

}  // namespace

TBoardPainter::TBoardPainter(const TDiagramFont& font, double diagSize, PangoContext* text,
                             const char* textFamily, bool searchable)
    : font_(font),
      size_(diagSize),
      searchable_(searchable),
      scaled_(MakeScaledFont(font.Face(), diagSize)),
      whiteMark_(text, textFamily, diagSize),
      blackMark_(text, textFamily, diagSize) {
  whiteMark_.SetText(kMoverMarks[0].Utf8, 0);
  blackMark_.SetText(kMoverMarks[1].Utf8, 0);
  for (std::size_t code = 0; searchable && code < chars_.size(); ++code) {
    const char c = static_cast<char>(code);
    chars_[code] = DocumentTextToUtf8(std::string_view(&c, 1));
  }
}

double TBoardPainter::RowWidth(const std::string& row) const {
  double w = 0;
  for (const char c : row) w += c == 0 ? 0 : font_.Glyph(static_cast<unsigned char>(c)).Advance;
  return w * size_;
}

double TBoardPainter::Width(const TBoardRows& board) const {
  double w = 0;
  for (std::size_t i = 0; i < board.Rows.size(); ++i) {
    const double mark = static_cast<int>(i) != board.MarkRow ? 0
                        : board.MarkBlack                    ? blackMark_.Width()
                                                             : whiteMark_.Width();
    w = std::max(w, RowWidth(board.Rows[i]) + mark);
  }
  return w;
}

const TBoardPainter::TMarkPlace& TBoardPainter::Place(const TBoardRows& board, double x, double y) {
  glyphs_.clear();
  text_.clear();
  clusters_.clear();
  mark_ = {};
  const double baseline = font_.BaselineInRow() * size_;
  for (std::size_t i = 0; i < board.Rows.size(); ++i) {
    double pen = x;
    const double rowY = y + static_cast<double>(i) * size_;
    for (const char c : board.Rows[i]) {
      if (c == 0) continue;
      const TDiagramFont::TGlyph& g = font_.Glyph(static_cast<unsigned char>(c));
      if (g.Ink) {
        glyphs_.push_back({g.Index, pen, rowY + baseline});
        if (searchable_) {
          const std::string& chars = chars_[static_cast<unsigned char>(c)];
          text_ += chars;
          clusters_.push_back({static_cast<int>(chars.size()), 1});
        }
      }
      pen += g.Advance * size_;
    }
    if (static_cast<int>(i) == board.MarkRow) {
      // The mark's baseline is the row's.
      mark_.Box = board.MarkBlack ? &blackMark_ : &whiteMark_;
      mark_.X = pen;
      mark_.Y = rowY + baseline - mark_.Box->Baseline();
    }
  }
  return mark_;
}

TSquareGrid TBoardPainter::Grid(const TBoardRows& board, double x, double y) const {
  TSquareGrid grid{.X = x, .Y = y, .Width = size_, .Height = size_, .FromBlack = board.FromBlack};
  if (board.Rows.size() < 8) return grid;
  const std::size_t framed = board.Rows.size() > 8 ? 1 : 0;
  const std::string& rank = board.Rows[framed];
  const std::size_t squares = rank.size() >= 8 + framed ? rank.size() - 8 - framed : 0;
  grid.X += RowWidth(rank.substr(0, squares));
  grid.Y += static_cast<double>(framed) * size_;
  if (squares < rank.size()) {
    const TDiagramFont::TGlyph& first = font_.Glyph(static_cast<unsigned char>(rank[squares]));
    if (first.Advance > 0) grid.Width = first.Advance * size_;
  }
  return grid;
}

void TBoardPainter::Draw(cairo_t* cr, const TBoardRows& board, double x, double y) {
  Place(board, x, y);
  if (mark_.Box) mark_.Box->Draw(cr, mark_.X, mark_.Y);
  cairo_set_scaled_font(cr, scaled_.get());
  if (searchable_) {
    cairo_show_text_glyphs(cr, text_.data(), static_cast<int>(text_.size()), glyphs_.data(),
                           static_cast<int>(glyphs_.size()), clusters_.data(),
                           static_cast<int>(clusters_.size()), cairo_text_cluster_flags_t{});
  } else {
    cairo_show_glyphs(cr, glyphs_.data(), static_cast<int>(glyphs_.size()));
  }
}

}  // namespace bq
