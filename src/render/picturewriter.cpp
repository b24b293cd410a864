#include "render/picturewriter.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "render/rendererror.h"
#include "support/textcodec.h"

namespace bq {

namespace {

// Picture units are pixels: the square is the diagram font's size.
double PixelsPerPoint(const TConvertJob& job) {
  return static_cast<double>(job.Pictures.SquarePx) / job.Settings.DiagFontSize;
}

int WholePixels(double units) {
  return std::max(1, static_cast<int>(std::ceil(units - 1e-6)));
}

void AppendSvgHead(std::string& out, int width, int height, bool transparent) {
  const std::string w = std::to_string(width), h = std::to_string(height);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
      "version=\"1.1\" width=\"" +
      w + "px\" height=\"" + h + "px\" viewBox=\"0 0 " + w + " " + h + "\">\n";
  if (!transparent) out += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
}

}  // namespace

TPictureWriter::TPictureWriter(const TConvertJob& job, TPictureFormat format)
    : job_(job),
      format_(format),
      font_(job.Settings.DiagFont, job.Settings.DiagFontCharSet == kSymbolCharset),
      board_(font_, job.Pictures.SquarePx, text_.Get(), job.Settings.TextFont.c_str(), false),
      caption_(text_.Get(), job.Settings.TextFont.c_str(),
               job.Settings.TextFontSize * PixelsPerPoint(job)) {}

void TPictureWriter::Write(const TRecord& rec, std::string& bytes) {
  Write(rec, DocumentTextToUtf8(rec.Caption), format_, bytes);
}

void TPictureWriter::WriteBoardPng(const TRecord& rec, std::string& bytes) {
  Write(rec, {}, TPictureFormat::Png, bytes);
}

void TPictureWriter::Write(const TRecord& rec, std::string_view caption, TPictureFormat format,
                           std::string& bytes) {
  const TBoardRows board = BoardRowsOf(job_, rec);
  const double boardWidth = board_.Width(board);
  caption_.SetText(caption, boardWidth);
  const int width = WholePixels(boardWidth);
  const int height = WholePixels(board_.Height(board) + caption_.Height());
  if (format == TPictureFormat::Svg)
    WriteSvg(board, rec.Marks, width, height, bytes);
  else
    WritePng(board, rec.Marks, width, height, bytes);
}

void TPictureWriter::WriteSvg(const TBoardRows& board, const TMarks& marks, int width, int height,
                              std::string& bytes) {
  bytes.clear();
  AppendSvgHead(bytes, width, height, job_.Pictures.Transparent);
  const TBoardPainter::TMarkPlace& mark = board_.Place(board, 0, 0);
  // Each glyph once as a definition, then every square as a use of it;
  // glyphs without outline (blank squares) are left out.
  used_.clear();
  for (const cairo_glyph_t& g : board_.Glyphs())
    if (!outlines_.Glyph(board_.ScaledFont(), g.index).empty()) used_.push_back(g.index);
  std::sort(used_.begin(), used_.end());
  used_.erase(std::unique(used_.begin(), used_.end()), used_.end());
  bytes += "<defs>\n";
  for (const unsigned long index : used_) {
    bytes += "<path id=\"g" + std::to_string(index) + "\" d=\"";
    bytes += outlines_.Glyph(board_.ScaledFont(), index);
    bytes += "\"/>\n";
  }
  bytes += "</defs>\n";
  for (const cairo_glyph_t& g : board_.Glyphs()) {
    if (outlines_.Glyph(board_.ScaledFont(), g.index).empty()) continue;
    bytes += "<use xlink:href=\"#g" + std::to_string(g.index) + "\" x=\"";
    AppendSvgNumber(bytes, g.x);
    bytes += "\" y=\"";
    AppendSvgNumber(bytes, g.y);
    bytes += "\"/>\n";
  }
  // Each text its own path: path data in relative steps starts anew.
  const auto text = [&](const TTextBox& box, double x, double y) {
    bytes += "<path d=\"";
    outlines_.AppendText(bytes, box, x, y);
    bytes += "\"/>\n";
  };
  if (mark.Box) text(*mark.Box, mark.X, mark.Y);
  if (!caption_.Empty()) text(caption_, 0, board_.Height(board));
  AppendSvgMarks(bytes, MarkShapes(marks, board_.Grid(board, 0, 0)));
  bytes += "</svg>\n";
}

void TPictureWriter::Draw(cairo_t* cr, const TBoardRows& board, const TMarks& marks) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  board_.Draw(cr, board, 0, 0);
  caption_.Draw(cr, 0, board_.Height(board));
  if (!marks.Empty()) DrawMarks(cr, MarkShapes(marks, board_.Grid(board, 0, 0)));
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    throw TRenderError(std::string("cannot draw the picture: ") +
                       cairo_status_to_string(cairo_status(cr)));
}

void TPictureWriter::WritePng(const TBoardRows& board, const TMarks& marks, int width, int height,
                              std::string& bytes) {
  if (!marks.Empty()) {
    // Marks are in colour: the picture is RGB, on white unless transparent.
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    colour_.assign(static_cast<std::size_t>(stride / 4) * static_cast<std::size_t>(height),
                   job_.Pictures.Transparent ? 0u : 0xFFFFFFFFu);
    auto* const data = reinterpret_cast<unsigned char*>(colour_.data());
    {
      const TCairoSurface canvas(
          cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, stride));
      const TCairo cr(cairo_create(canvas.get()));
      Draw(cr.get(), board, marks);
      cairo_surface_flush(canvas.get());
    }
    png_.EncodeColour(data, width, height, stride, job_.Pictures.Transparent, bytes);
    return;
  }
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, width);
  const std::size_t size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  if (pixels_.size() < size) pixels_.resize(size);
  std::fill_n(pixels_.begin(), size, 0);
  {
    // Ink only: its coverage is the whole picture.
    const TCairoSurface canvas(cairo_image_surface_create_for_data(pixels_.data(), CAIRO_FORMAT_A8,
                                                                   width, height, stride));
    const TCairo cr(cairo_create(canvas.get()));
    Draw(cr.get(), board, {});
    cairo_surface_flush(canvas.get());
  }
  png_.Encode(pixels_.data(), width, height, stride, job_.Pictures.Transparent, bytes);
}

TBoardPng MakeBoardPng(const TConvertJob& job) {
  auto writer = std::make_shared<TPictureWriter>(job, TPictureFormat::Png);
  return [writer](const TRecord& rec, std::string& png) { writer->WriteBoardPng(rec, png); };
}

}  // namespace bq
