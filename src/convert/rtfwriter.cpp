#include "convert/rtfwriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "fonts/rtf.h"
#include "support/bytes.h"

namespace bq {

namespace {

// Font sizes are written in half-points.
std::string HalfPoints(std::int32_t points) {
  return std::to_string(2 * points);
}

// Pending text goes out in pieces of about this size.
constexpr std::size_t kWriteStep = std::size_t{1} << 16;

// Whether escaping may change [s, s + n): bytes below 32 or from "{" up,
// and "\". The few bytes among them that stay ("|", "~", DEL) just take
// the exact way. Eight bytes at a time; a borrow or carry between bytes
// can only flag more.
bool MayNeedEscape(const char* s, std::size_t n) {
  if (n < 8) {
    for (std::size_t k = 0; k < n; ++k) {
      const auto b = static_cast<unsigned char>(s[k]);
      if (b < 32 || b >= '{' || b == '\\') return true;
    }
    return false;
  }
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const auto flagged = [](std::uint64_t w) {
    const std::uint64_t slash = w ^ (kOnes * '\\');
    return (w | (w + kOnes * 5) | ((w - kOnes * 32) & ~w) | ((slash - kOnes) & ~slash)) &
           (kOnes * 0x80);
  };
  std::uint64_t flags = 0, w;
  for (std::size_t k = 0; k + 8 <= n; k += 8) {
    std::memcpy(&w, s + k, 8);
    flags |= flagged(w);
  }
  std::memcpy(&w, s + n - 8, 8);  // the last bytes, overlapping
  return (flags | flagged(w)) != 0;
}

// The colour table of the marks: entry k + 1 is mark colour k, blended
// with white as its alpha would show it, since shading has no alpha.
std::string MarkColourTable() {
  std::string table = "{\\colortbl;";
  for (const TMarkPaint& paint : kMarkPaints) {
    const auto blend = [&](std::uint32_t c) {
      return std::to_string((c * paint.Alpha + 255 * (255 - paint.Alpha) + 127) / 255);
    };
    table += "\\red" + blend(paint.Rgb >> 16) + "\\green" + blend((paint.Rgb >> 8) & 0xFF) +
             "\\blue" + blend(paint.Rgb & 0xFF) + ";";
  }
  return table + "}";
}

// Width and height of a PNG file from its header; throws when the bytes
// are no PNG file.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& png) {
  const auto be32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
    return v;
  };
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      png.compare(12, 4, "IHDR") != 0)
    throw std::runtime_error("a diagram's picture is not a PNG file");
  return {be32(16), be32(20)};
}

// Hex digits of a picture, this many bytes a line.
constexpr std::size_t kHexLine = 64;

}  // namespace

TRtfWriter::TRtfWriter(const TConvertJob& job, TWrite write, TBoardPng pictures,
                       TReplaceHead replaceHead)
    : job_(job),
      write_(std::move(write)),
      replaceHead_(std::move(replaceHead)),
      pictures_(std::move(pictures)) {
  const TConvertSettings& s = job.Settings;
  const bool table = InColumns(job);
  const bool picture = PictureDiagrams(job);
  if (!picture) pictures_ = nullptr;
  if (picture && !pictures_) throw std::runtime_error("this build has no picture output");
  const std::string text = "\\f0\\fs" + HalfPoints(s.TextFontSize);
  // A picture stands in a paragraph of the text font.
  const std::string diagram = picture ? text : "\\f2\\fs" + HalfPoints(s.DiagFontSize);
  const std::string start = table ? "\\pard\\intbl" : "\\keepn";
  figurines_ = job.GameText && s.Notation == TNotation::Figurine;
  header_ = RTFHeader(s.TextFont, s.TextFont, s.DiagFont, s.DiagFontCharSet,
                      figurines_ ? s.FigurineFont : std::string());
  // Game text in two columns flows in the section's page columns.
  if (job.GameText && s.Layout.Columns == 2)
    sectionHead_ = "\\sectd\\cols2\\colsx" + std::to_string(kGameTextColumnGap);
  paraHead_ = text + " ";
  opsHead_ = Keep(start + text + " ");
  boardHead_ = Keep(start + diagram + " ");
  boardHeadAfterOps_ = Keep(picture ? std::string("\\par ") : "\\par " + diagram + " ");
  // Like the typed board's last line, the picture's paragraph ends the
  // chain of \keepn unless a caption or a table cell follows.
  const bool keepWhole = !table && s.Layout.Caption.empty();
  pictureHead_ = Keep(std::string(keepWhole ? "\\pard" : "") + "{\\pict\\pngblip");
  const std::string end = picture ? std::string("\\par") : std::string(job.Diagram.End());
  recordEnd_ = Keep(table ? std::string("\\cell\r\n") : end + text + "\r\n");
  captionHead_ = Keep(end + (table ? "" : " \\pard") + text + " ");
  captionEnd_ = Keep(table ? "\\cell\r\n" : "\\par" + text + "\r\n");
  if (table) {
    std::string row = "\\trowd\\trkeep\\trgaph" + std::to_string(kCellGapTwips);
    const std::int64_t width = DiagramCellWidth(job);
    for (int k = 1; k <= s.Layout.Columns; ++k) row += "\\cellx" + std::to_string(k * width);
    rowHead_ = Keep(row + "\r\n");
  }
  for (const std::string& item : job.AboveItems) {
    std::string head = "\\par ";
    AppendRTFText(head, item);
    itemHeads_.push_back(Keep(head + ": "));
  }
  // Every fixed text at most once, the CR LF between records and the board.
  fixedRoom_ = 2 + fixed_.size() + job.Diagram.MaxBoardSize() + TDiagramWriter::kSlack +
               header_.size() + sectionHead_.size() + MarkColourTable().size();
}

TRtfWriter::TPiece TRtfWriter::Keep(std::string_view text) {
  const TPiece piece{fixed_.size(), text.size()};
  fixed_.append(text);
  fixed_.append(kPad, '\0');
  return piece;
}

char* TRtfWriter::Put(char* p, TPiece piece, std::size_t from) const {
  const std::size_t size = piece.Size - from;
  if (size <= kPad)
    std::memcpy(p, fixed_.data() + piece.At + from, kPad);
  else
    std::memcpy(p, fixed_.data() + piece.At + from, size);
  return p + size;
}

char* TRtfWriter::Room(char* p, std::size_t more) {
  const auto used = static_cast<std::size_t>(p - text_.data());
  if (used + more + fixedRoom_ <= text_.size()) [[likely]]
    return p;
  text_.resize(std::max(used + more + fixedRoom_, 2 * text_.size()));
  return text_.data() + used;
}

// Operation n's operands joined by single blanks, escaped: an empty first
// operand adds nothing, a later empty one adds its separating blank. They
// are copied as they are, then escaped when a byte asks for it.
char* TRtfWriter::PutOperands(char* p, const TPosition& position, int n) {
  const std::span<const TOperations::TWord> words = OperandWords(position, n);
  if (words.empty()) return p;
  // Operands and their blanks stand in this range of the text.
  p = Room(p, words.back().At + words.back().Size - words.front().At);
  char* const start = p;
  for (const TOperations::TWord& word : words) {
    if (p != start) *p++ = ' ';
    const char* const text = position.Operations.Text.data() + word.At;
    if (word.Size <= 16)
      CopyShort(p, text, word.Size);
    else
      std::memcpy(p, text, word.Size);
    p += word.Size;
  }
  if (!MayNeedEscape(start, static_cast<std::size_t>(p - start))) return p;
  // Rare: the joined text escaped (no escape spans a blank).
  escaped_.clear();
  AppendRTFText(escaped_, std::string_view(start, static_cast<std::size_t>(p - start)));
  p = Room(start, escaped_.size());
  std::memcpy(p, escaped_.data(), escaped_.size());
  return p + escaped_.size();
}

// The record, with what comes before it (the header, CR LF or a table
// row's start), written by pointer after the pending text (growing a
// string by the room would clear it every time).
void TRtfWriter::Add(const TRecord& rec) {
  const bool table = InColumns(job_);
  char* p = PutStart(Room(text_.data() + pending_, 0));
  if (table && rec.Column == 0) p = Put(p, rowHead_);
  const auto opsAt = static_cast<std::size_t>(p - text_.data());
  p = Put(p, opsHead_);
  for (std::size_t k = 0; k < rec.Above.size(); ++k) {
    const TRecord::TAbove above = rec.Above[k];
    p = Put(p, itemHeads_[static_cast<std::size_t>(above.Item)], k > 0 ? 0 : 5);  // "\par " between
    p = PutOperands(p, *rec.Position, above.Operation);
  }
  p = !rec.Above.empty() ? Put(p, boardHeadAfterOps_) : Put(text_.data() + opsAt, boardHead_);
  if (pictures_)
    p = PutPicture(p, rec);
  else if (rec.Marks.Empty()) [[likely]]
    p = job_.Diagram.WriteBoard(p, rec.Position->Core, rec.FromBlack);
  else
    p = PutMarkedBoard(p, rec);
  p = PutRecordEnd(p, rec);
  lastColumn_ = rec.Column;
  if (table && rec.Column + 1 == job_.Settings.Layout.Columns) {
    p = Room(p, 7);
    std::memcpy(p, "\\row\r\n", 6);
    p += 6;
    lastColumn_ = -1;
  }
  pending_ = static_cast<std::size_t>(p - text_.data());
  // Without a way to mend the header later, the document waits whole.
  if (pending_ >= kWriteStep && replaceHead_) Flush();
}

// A board with marks: coloured squares shaded. Arrows and circles cannot
// be typed.
char* TRtfWriter::PutMarkedBoard(char* p, const TRecord& rec) {
  const TPositionCore& core = rec.Position->Core;
  droppedArrows_ = droppedArrows_ || !rec.Marks.Arrows.empty();
  if (rec.Marks.Squares.empty()) return job_.Diagram.WriteBoard(p, core, rec.FromBlack);
  if (!colours_) p = UseColourTable(p);
  shades_.fill(0);
  for (const TSquareMark& m : rec.Marks.Squares)
    shades_[m.Cell] = static_cast<std::uint8_t>(static_cast<int>(m.Colour) + 1);
  p = Room(p, TDiagramWriter::kShadeRoom);
  return job_.Diagram.WriteShadedBoard(p, core, rec.FromBlack, shades_);
}

// Puts the colour table after the font table: into the pending text, or,
// once the header has gone out, into the head that Finish asks the output
// to put in its place. `p` is the end of the text written so far; returns
// where that end has moved.
char* TRtfWriter::UseColourTable(char* p) {
  colours_ = true;
  const std::string table = MarkColourTable();
  const std::size_t at = header_.size();
  header_ += table;
  if (headerWritten_) {
    headSize_ = at;
    return p;
  }
  // The room kept behind the text holds the table (see fixedRoom_).
  char* const head = text_.data() + at;
  std::memmove(head + table.size(), head, static_cast<std::size_t>(p - head));
  std::memcpy(head, table.data(), table.size());
  return p + table.size();
}

char* TRtfWriter::PutStart(char* p) {
  if (!started_) {
    started_ = true;
    p = std::copy(header_.begin(), header_.end(), p);
    return Room(std::copy(sectionHead_.begin(), sectionHead_.end(), p), 0);
  }
  if (!InColumns(job_)) {
    std::memcpy(p, "\r\n", 2);
    p += 2;
  }
  return p;
}

void TRtfWriter::AddParagraph(const TGameParagraph& paragraph) {
  escaped_.clear();
  if (!continuing_) {
    escaped_ += paragraph.Indent > 0 ? "{\\pard\\li" + std::to_string(kGameTextIndent) : "{\\pard";
    escaped_ += paraHead_;
  }
  AppendRuns(paragraph);
  if (!paragraph.Continues) escaped_ += "\\par}";
  char* p = Room(text_.data() + pending_, 0);
  if (!continuing_) p = PutStart(p);
  continuing_ = paragraph.Continues;
  p = Room(p, escaped_.size());
  std::memcpy(p, escaped_.data(), escaped_.size());
  pending_ = static_cast<std::size_t>(p + escaped_.size() - text_.data());
  if (pending_ >= kWriteStep && replaceHead_) Flush();
}

// Runs of one look share a group: bold in \b, figurines in font 3.
void TRtfWriter::AppendRuns(const TGameParagraph& paragraph) {
  int open = 0;  // the look of the open group: 1 bold, 2 figurine; 0 none
  for (const TGameRun& run : paragraph.Runs) {
    const int look = (run.Weight == TRunWeight::Bold ? 1 : 0) |
                     (figurines_ && run.Kind == TRunKind::Piece ? 2 : 0);
    if (look != open) {
      if (open != 0) escaped_ += '}';
      if (look != 0) escaped_ += look == 1 ? "{\\b " : look == 2 ? "{\\f3 " : "{\\b\\f3 ";
      open = look;
    }
    AppendRTFText(escaped_, run.Text);
  }
  if (open != 0) escaped_ += '}';
}

// What follows the board: the end of its last line, the caption, the end
// of the record or of its table cell.
char* TRtfWriter::PutRecordEnd(char* p, const TRecord& rec) {
  if (job_.Settings.Layout.Caption.empty()) return Put(p, recordEnd_);
  escaped_.clear();
  AppendRTFText(escaped_, rec.Caption);
  p = Put(p, captionHead_);
  p = Room(p, escaped_.size());
  std::memcpy(p, escaped_.data(), escaped_.size());
  return Put(p + escaped_.size(), captionEnd_);
}

// The board as one picture: the PNG in hex, at the size the typed board
// would take (a square is the diagram font's size, 20 twips a point).
char* TRtfWriter::PutPicture(char* p, const TRecord& rec) {
  pictures_(rec, png_);
  const auto [width, height] = PngSize(png_);
  const std::int64_t square = job_.Pictures.SquarePx,
                     squareTwips = 20LL * job_.Settings.DiagFontSize;
  const auto goal = [&](std::uint32_t px) {
    return std::to_string((px * squareTwips + square / 2) / square);
  };
  const std::string size = "\\picw" + std::to_string(width) + "\\pich" + std::to_string(height) +
                           "\\picwgoal" + goal(width) + "\\pichgoal" + goal(height) + "\r\n";
  const std::size_t lines = png_.size() / kHexLine + 1;
  p = Room(p, size.size() + 2 * png_.size() + 2 * lines + 1);
  p = Put(p, pictureHead_);
  std::memcpy(p, size.data(), size.size());
  p += size.size();
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::size_t at = 0; at < png_.size(); at += kHexLine) {
    if (at > 0) {
      std::memcpy(p, "\r\n", 2);
      p += 2;
    }
    const std::size_t end = std::min(png_.size(), at + kHexLine);
    for (std::size_t k = at; k < end; ++k) {
      const auto b = static_cast<unsigned char>(png_[k]);
      *p++ = kDigits[b >> 4];
      *p++ = kDigits[b & 15];
    }
  }
  *p++ = '}';
  return p;
}

void TRtfWriter::Flush() {
  write_(std::string_view(text_.data(), pending_));
  headerWritten_ = headerWritten_ || started_;
  pending_ = 0;
}

void TRtfWriter::Finish(const std::vector<std::string>& key) {
  std::string out(text_.data(), pending_);
  pending_ = 0;
  if (continuing_) out += "\\par}";  // a paragraph cut short still closes its group
  if (started_) {
    if (InColumns(job_)) {
      // A short last row is filled with empty cells; then the table ends.
      if (lastColumn_ >= 0) {
        for (int k = lastColumn_ + 1; k < job_.Settings.Layout.Columns; ++k)
          out += "\\pard\\intbl\\cell";
        out += "\\row\r\n";
      }
      out += "\\pard";
    }
    for (std::size_t k = 0; k < key.size(); ++k) {
      out +=
          k == 0 ? "\r\n\\pard\\f0\\fs" + HalfPoints(job_.Settings.TextFontSize) + " " : "\\par ";
      AppendRTFText(out, key[k]);
    }
    out.append(RTFFooter());
  }
  write_(out);
  if (headSize_ != 0) replaceHead_(headSize_, header_);
}

}  // namespace bq
