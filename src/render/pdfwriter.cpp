#include "render/pdfwriter.h"

#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "render/rendererror.h"
#include "support/textcodec.h"

namespace bq {

namespace {

constexpr double kA4Width = 595.2756, kA4Height = 841.8898;  // 210 x 297 mm in points
constexpr double kLetterWidth = 612, kLetterHeight = 792;    // 8.5 x 11 in
constexpr double kMargin = 72 * 2 / 2.54;                    // 2 cm
constexpr double kColumnGap = 2 * kCellGapTwips / 20.0;      // as between RTF table cells

// The record's lines above the board as one text of paragraphs.
void AboveText(const TConvertJob& job, const TRecord& rec, std::string& utf8) {
  utf8.clear();
  for (std::size_t i = 0; i < rec.Above.size(); ++i) {
    if (i > 0) utf8.push_back('\n');
    utf8 += DocumentTextToUtf8(AboveLine(job, rec, i));
  }
}

}  // namespace

TPdfWriter::TCell::TCell(PangoContext* context, const TConvertSettings& settings)
    : Above(context, settings.TextFont.c_str(), settings.TextFontSize),
      Caption(context, settings.TextFont.c_str(), settings.TextFontSize) {}

TPdfWriter::TPdfWriter(const TConvertJob& job, TByteSink sink)
    : job_(job),
      columns_(job.Settings.Layout.Columns),
      bridge_(std::move(sink)),
      font_(job.Settings.DiagFont, job.Settings.DiagFontCharSet == kSymbolCharset),
      board_(font_, job.Settings.DiagFontSize, text_.Get(), job.Settings.TextFont.c_str(), true),
      line_(text_.Get(), job.Settings.TextFont.c_str(), job.Settings.TextFontSize) {
  const bool a4 = job.Pictures.Paper == TPaper::A4;
  pageWidth_ = a4 ? kA4Width : kLetterWidth;
  pageHeight_ = a4 ? kA4Height : kLetterHeight;
  surface_.reset(
      cairo_pdf_surface_create_for_stream(&TSinkBridge::Write, &bridge_, pageWidth_, pageHeight_));
  cairo_pdf_surface_set_metadata(surface_.get(), CAIRO_PDF_METADATA_CREATOR, "Boardquill");
  cr_.reset(cairo_create(surface_.get()));
  bridge_.Check(cairo_status(cr_.get()), "cannot start the PDF document");
  for (int i = 0; i < columns_; ++i) cells_.emplace_back(text_.Get(), job.Settings);
  y_ = kMargin;
}

TPdfWriter::~TPdfWriter() {
  // An unfinished document is abandoned: Cairo's closing bytes go nowhere.
  if (!finished_) bridge_.Close();
}

void TPdfWriter::AddRecord(const TRecord& rec) {
  TCell& cell = cells_[filled_];
  cell.Board = BoardRowsOf(job_, rec);
  cell.Marks = rec.Marks;
  const double textWidth = pageWidth_ - 2 * kMargin;
  if (columnWidth_ == 0)
    columnWidth_ = columns_ == 1 ? textWidth : board_.Width(cell.Board) + kColumnGap;
  // In columns, texts wrap at the width of the diagram their cell holds.
  const double wrap = columns_ == 1 ? textWidth : columnWidth_ - kColumnGap;
  AboveText(job_, rec, utf8_);
  cell.Above.SetText(utf8_, wrap);
  cell.Caption.SetText(DocumentTextToUtf8(rec.Caption), wrap);
  cell.Height = cell.Above.Height() + board_.Height(cell.Board) + cell.Caption.Height();
  if (++filled_ == cells_.size()) FlushRow();
}

void TPdfWriter::DrawBoard(const TCell& cell, double x, double y) {
  board_.Draw(cr_.get(), cell.Board, x, y);
  if (!cell.Marks.Empty())
    DrawMarks(cr_.get(), MarkShapes(cell.Marks, board_.Grid(cell.Board, x, y)));
}

void TPdfWriter::FlushRow() {
  if (filled_ == 0) return;
  double height = 0;
  for (std::size_t i = 0; i < filled_; ++i) height = std::max(height, cells_[i].Height);
  if (height > pageHeight_ - 2 * kMargin) return FlowRow();
  MakeRoom(height);
  cairo_t* cr = cr_.get();
  for (std::size_t i = 0; i < filled_; ++i) {
    const TCell& cell = cells_[i];
    const double x = kMargin + static_cast<double>(i) * columnWidth_;
    double y = y_;
    cell.Above.Draw(cr, x, y);
    y += cell.Above.Height();
    DrawBoard(cell, x, y);
    cell.Caption.Draw(cr, x, y + board_.Height(cell.Board));
  }
  y_ += height;
  filled_ = 0;
}

// A row taller than a page (operations text of many lines): its records go
// one under the other, their texts running on over page ends line by line,
// each board kept whole on one page.
void TPdfWriter::FlowRow() {
  for (std::size_t i = 0; i < filled_; ++i) {
    const TCell& cell = cells_[i];
    FlowText(cell.Above);
    MakeRoom(board_.Height(cell.Board));
    DrawBoard(cell, kMargin, y_);
    y_ += board_.Height(cell.Board);
    FlowText(cell.Caption);
  }
  filled_ = 0;
}

void TPdfWriter::FlowText(const TTextBox& text) {
  for (const TTextBox::TLine& line : text.Lines()) {
    MakeRoom(line.Bottom - line.Top);
    TTextBox::DrawLine(cr_.get(), line, kMargin, y_);
    y_ += line.Bottom - line.Top;
  }
}

void TPdfWriter::AddTextLine(std::string_view bytes) {
  FlushRow();
  line_.SetText(DocumentTextToUtf8(bytes), pageWidth_ - 2 * kMargin);
  // An empty paragraph still takes a line, as in the document.
  if (line_.Empty()) line_.SetText(" ", 0);
  FlowText(line_);
}

// Starts a new page when `height` does not fit below what the page holds.
// What is taller than a page starts on a page of its own.
void TPdfWriter::MakeRoom(double height) {
  if (pageUsed_ && y_ + height > pageHeight_ - kMargin) {
    cairo_show_page(cr_.get());
    bridge_.Check(cairo_status(cr_.get()), "cannot write the PDF document");
    ++pages_;
    y_ = kMargin;
  }
  pageUsed_ = true;
}

void TPdfWriter::Finish() {
  FlushRow();
  cr_.reset();
  cairo_surface_finish(surface_.get());
  finished_ = true;
  bridge_.Check(cairo_surface_status(surface_.get()), "cannot write the PDF document");
  ++pages_;
}

}  // namespace bq
