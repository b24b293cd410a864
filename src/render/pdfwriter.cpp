#include "render/pdfwriter.h"

#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "render/rendererror.h"
#include "support/textcodec.h"

namespace bq {

namespace {

constexpr double kA4Width = 595.2756, kA4Height = 841.8898;   // 210 x 297 mm in points
constexpr double kLetterWidth = 612, kLetterHeight = 792;     // 8.5 x 11 in
constexpr double kMargin = 72 * 2 / 2.54;                     // 2 cm
constexpr double kColumnGap = 2 * kCellGapTwips / 20.0;       // as between RTF table cells
constexpr double kTextColumnGap = kGameTextColumnGap / 20.0;  // as between RTF page columns
constexpr double kIndent = kGameTextIndent / 20.0;
// Bytes of a paragraph laid out at a time, at least: Pango breaks a word
// longer than a line in time that grows with the text laid out.
constexpr std::size_t kParagraphSlice = 512;

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
      columns_(job.GameText ? 1 : job.Settings.Layout.Columns),
      textColumns_(job.GameText ? std::clamp(job.Settings.Layout.Columns, 1, 2) : 1),
      bridge_(std::move(sink)),
      font_(job.Settings.DiagFont, job.Settings.DiagFontCharSet == kSymbolCharset),
      board_(font_, job.Settings.DiagFontSize, text_.Get(), job.Settings.TextFont.c_str(), true),
      line_(text_.Get(), job.Settings.TextFont.c_str(), job.Settings.TextFontSize),
      paragraph_(text_.Get(), job.Settings.TextFont.c_str(), job.Settings.TextFontSize) {
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
  textColumnWidth_ =
      (pageWidth_ - 2 * kMargin - (textColumns_ - 1) * kTextColumnGap) / textColumns_;
}

TPdfWriter::~TPdfWriter() {
  // An unfinished document is abandoned: Cairo's closing bytes go nowhere.
  if (!finished_) bridge_.Close();
}

void TPdfWriter::AddRecord(const TRecord& rec) {
  TCell& cell = cells_[filled_];
  cell.Board = BoardRowsOf(job_, rec);
  cell.Marks = rec.Marks;
  const double textWidth = textColumnWidth_;
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
    const double x = Left() + static_cast<double>(i) * columnWidth_;
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
    DrawBoard(cell, Left(), y_);
    y_ += board_.Height(cell.Board);
    FlowText(cell.Caption);
  }
  filled_ = 0;
}

void TPdfWriter::FlowText(const TTextBox& text, double indent, std::size_t keep) {
  const std::vector<TTextBox::TLine> lines = text.Lines();
  for (std::size_t i = 0; i + keep < lines.size(); ++i) {
    const TTextBox::TLine& line = lines[i];
    MakeRoom(line.Bottom - line.Top);
    TTextBox::DrawLine(cr_.get(), line, Left() + indent, y_);
    y_ += line.Bottom - line.Top;
  }
}

double TPdfWriter::Left() const {
  return kMargin + column_ * (textColumnWidth_ + kTextColumnGap);
}

void TPdfWriter::AddParagraph(const TGameParagraph& paragraph) {
  FlushRow();
  if (paraText_.empty()) indent_ = paragraph.Indent > 0 ? kIndent : 0;
  AppendRuns(paragraph);
  while (paraText_.size() > kParagraphSlice && DrawSlice()) {
  }
  if (paragraph.Continues) return;
  if (paraText_.empty()) {  // an empty paragraph still takes a line
    line_.SetText(" ", 0);
    FlowText(line_);
    return;
  }
  LayOutParagraph(paraText_.size());
  FlowText(paragraph_, indent_);
  paraText_.clear();
  spans_.clear();
}

// Long text is laid out a slice at a time (Pango stops breaking the lines
// of a paragraph somewhere below a megabyte): the lines of a slice but its
// last are final whatever follows; they are drawn and dropped. A slice
// that makes one line grows. False when the whole text makes one line.
bool TPdfWriter::DrawSlice() {
  for (std::size_t want = kParagraphSlice; want < paraText_.size(); want *= 2) {
    std::size_t size = want;
    while (size > 0 && (static_cast<unsigned char>(paraText_[size]) & 0xC0) == 0x80) --size;
    LayOutParagraph(size);
    const std::vector<TTextBox::TLine> lines = paragraph_.Lines();
    if (lines.size() < 2) continue;
    FlowText(paragraph_, indent_, 1);
    const auto drawn = static_cast<std::size_t>(lines.back().Line->start_index);
    paraText_.erase(0, drawn);
    std::erase_if(spans_, [drawn](const TSpan& span) { return span.End <= drawn; });
    for (TSpan& span : spans_) {
      span.Start = span.Start > drawn ? span.Start - drawn : 0;
      span.End -= drawn;
    }
    return true;
  }
  return false;
}

void TPdfWriter::AppendRuns(const TGameParagraph& paragraph) {
  const bool figurines = job_.Settings.Notation == TNotation::Figurine;
  for (const TGameRun& run : paragraph.Runs) {
    const std::size_t start = paraText_.size();
    paraText_ += DocumentTextToUtf8(run.Text);
    const bool bold = run.Weight == TRunWeight::Bold;
    const bool figurine = figurines && run.Kind == TRunKind::Piece;
    if (bold || figurine) spans_.push_back({start, paraText_.size(), bold, figurine});
  }
}

void TPdfWriter::LayOutParagraph(std::size_t size) {
  const TPangoAttrList attributes(pango_attr_list_new());
  const std::string& family = job_.Settings.FigurineFont;
  for (const TSpan& span : spans_) {
    const auto start = static_cast<guint>(span.Start), end = static_cast<guint>(span.End);
    if (span.Bold) {
      PangoAttribute* bold = pango_attr_weight_new(PANGO_WEIGHT_BOLD);
      bold->start_index = start;
      bold->end_index = end;
      pango_attr_list_insert(attributes.get(), bold);
    }
    if (span.Figurine) {
      PangoAttribute* font = pango_attr_family_new(family.c_str());
      font->start_index = start;
      font->end_index = end;
      pango_attr_list_insert(attributes.get(), font);
    }
  }
  paragraph_.SetText(std::string_view(paraText_).substr(0, size), textColumnWidth_ - indent_,
                     attributes.get());
}

void TPdfWriter::AddTextLine(std::string_view bytes) {
  FlushRow();
  line_.SetText(DocumentTextToUtf8(bytes), textColumnWidth_);
  // An empty paragraph still takes a line, as in the document.
  if (line_.Empty()) line_.SetText(" ", 0);
  FlowText(line_);
}

// Starts the next column, or a new page, when `height` does not fit below
// what the column holds. What is taller than a page starts on a page of
// its own (or at the top of a column).
void TPdfWriter::MakeRoom(double height) {
  if (pageUsed_ && y_ > kMargin && y_ + height > pageHeight_ - kMargin) {
    y_ = kMargin;
    if (++column_ < textColumns_) return;
    column_ = 0;
    cairo_show_page(cr_.get());
    bridge_.Check(cairo_status(cr_.get()), "cannot write the PDF document");
    ++pages_;
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
