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

TRtfWriter::TRtfWriter(const TConvertJob& job, TWrite write, TBoardPng pictures)
    : job_(job), write_(std::move(write)), pictures_(std::move(pictures)) {
  const TConvertSettings& s = job.Settings;
  const bool table = InColumns(job);
  const bool picture = PictureDiagrams(job);
  if (!picture) pictures_ = nullptr;
  if (picture && !pictures_) throw std::runtime_error("this build has no picture output");
  const std::string text = "\\f0\\fs" + HalfPoints(s.TextFontSize);
  // A picture stands in a paragraph of the text font.
  const std::string diagram = picture ? text : "\\f2\\fs" + HalfPoints(s.DiagFontSize);
  const std::string start = table ? "\\pard\\intbl" : "\\keepn";
  header_ = Keep(RTFHeader(s.TextFont, s.TextFont, s.DiagFont, s.DiagFontCharSet));
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
  fixedRoom_ = 2 + fixed_.size() + job.Diagram.MaxBoardSize() + TDiagramWriter::kSlack;
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
  char* p = Room(text_.data() + pending_, 0);
  if (++records_ == 1) {
    p = Room(Put(p, header_), 0);
  } else if (!table) {
    std::memcpy(p, "\r\n", 2);
    p += 2;
  }
  if (table && rec.Column == 0) p = Put(p, rowHead_);
  const auto opsAt = static_cast<std::size_t>(p - text_.data());
  p = Put(p, opsHead_);
  for (std::size_t k = 0; k < rec.Above.size(); ++k) {
    const TRecord::TAbove above = rec.Above[k];
    p = Put(p, itemHeads_[static_cast<std::size_t>(above.Item)], k > 0 ? 0 : 5);  // "\par " between
    p = PutOperands(p, *rec.Position, above.Operation);
  }
  p = !rec.Above.empty() ? Put(p, boardHeadAfterOps_) : Put(text_.data() + opsAt, boardHead_);
  p = pictures_ ? PutPicture(p, rec)
                : job_.Diagram.WriteBoard(p, rec.Position->Core, rec.FromBlack);
  p = PutRecordEnd(p, rec);
  lastColumn_ = rec.Column;
  if (table && rec.Column + 1 == job_.Settings.Layout.Columns) {
    p = Room(p, 7);
    std::memcpy(p, "\\row\r\n", 6);
    p += 6;
    lastColumn_ = -1;
  }
  pending_ = static_cast<std::size_t>(p - text_.data());
  if (pending_ >= kWriteStep) Flush();
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
  pending_ = 0;
}

void TRtfWriter::Finish(const std::vector<std::string>& key) {
  std::string out(text_.data(), pending_);
  pending_ = 0;
  if (records_ > 0) {
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
}

}  // namespace bq
