#include "convert/driver.h"

#include <algorithm>
#include <cstring>

#include "chess/parser.h"
#include "convert/diagram.h"
#include "convert/lines.h"
#include "fonts/rtf.h"
#include "support/ascii.h"
#include "support/bytes.h"

namespace bq {

TConvertSettings ReadConvertSettings(const TProfileFile& ini, std::vector<std::string>* warnings) {
  TConvertSettings s;
  s.DiagFont = ini.ReadString("General", "DiagFont", "");
  s.DiagFontCharSet = ini.ReadInt("General", "DiagFontCharSet", 0);
  s.DiagFontSize = ini.ReadInt("General", "DiagFontSize", 20);
  s.ShowCoords = ini.ReadInt("General", "ShowCoords", 0) != 0;
  s.TextFont = ini.ReadString("General", "TextFont", "Arial");
  s.TextFontSize = ini.ReadInt("General", "TextFontSize", 10);
  s.Operations = ini.ReadString("General", "Operations", "id,bm");
  std::vector<std::string> unused;
  s.Layout = ReadLayoutSettings(ini, warnings ? *warnings : unused);
  return s;
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
  std::vector<std::string> items;
  std::string current;
  for (char c : text) {
    if (c == separator) {
      items.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  items.push_back(std::move(current));
  return items;
}

namespace {

// Font sizes are written in half-points; 64 bits so that no stored size can
// overflow when doubled.
std::string HalfPoints(std::int32_t points) {
  return std::to_string(2 * static_cast<long long>(points));
}

// The width of an A4 page's text (17 cm) in twips, and the gap Word and
// LibreOffice keep on each side of a cell's text.
constexpr std::int32_t kA4TextWidth = 9638, kCellGap = 108;

}  // namespace

std::int32_t DiagramCellWidth(const TConvertSettings& s, const ChessFontInfoRec& glyphs) {
  // A line of eight squares, the frame's sides or the coordinates, and the
  // mark (a blank and a square of the text font) at the diagram's size.
  const bool sides = glyphs.FullBorder || (s.ShowCoords && glyphs.CoordinatesPossible);
  const std::int64_t tenths = 10 * (8 + (sides ? 2 : 0)) + (s.Layout.MoverMark ? 15 : 0);
  const std::int64_t width =
      tenths * 2 * std::clamp<std::int64_t>(s.DiagFontSize, 1, 1638) + 2 * kCellGap;
  return static_cast<std::int32_t>(width);
}

std::string ColumnsWidthWarning(const TConvertSettings& s, const ChessFontInfoRec& glyphs) {
  const std::int64_t width = std::int64_t{s.Layout.Columns} * DiagramCellWidth(s, glyphs);
  if (s.Layout.Columns < 2 || width <= kA4TextWidth) return "";
  const long long mm = width * 254 / 14400;
  return std::to_string(s.Layout.Columns) + " diagrams side by side at " +
         std::to_string(s.DiagFontSize) + " pt are " + std::to_string(mm / 10) + "." +
         std::to_string(mm % 10) + " cm wide, more than the 17 cm of text on an A4 page";
}

std::string MakeRecordRTF(const TPosition& rec, std::string_view operationsText, bool showCoords,
                          const TConvertSettings& settings, const ChessFontInfoRec& glyphs) {
  std::string head;
  if (!operationsText.empty())
    head = "\\f0\\fs" + HalfPoints(settings.TextFontSize) + " " + std::string(operationsText) +
           "\\par ";
  std::string out;
  TDiagramWriter(glyphs, showCoords)
      .Append(out, rec.Core, head + "\\f2\\fs" + HalfPoints(settings.DiagFontSize),
              "\\f0\\fs" + HalfPoints(settings.TextFontSize));
  return out;
}

namespace {

// A diagram keeps together through \keepn on its lines up to the last, which
// ends the chain, or up to its caption, which then does. In a table the row
// keeps it whole.
TDiagramLayout LayoutOf(const TConvertSettings& s) {
  TDiagramLayout layout;
  layout.ShowCoords = s.ShowCoords;
  layout.MoverMark = s.Layout.MoverMark;
  layout.DiagFontSize = s.DiagFontSize;
  layout.Flow = s.Layout.Columns > 1       ? TDiagramFlow::InCell
                : s.Layout.Caption.empty() ? TDiagramFlow::KeepWhole
                                           : TDiagramFlow::Plain;
  return layout;
}

// The items of `list` that `keyItems` does not name.
std::vector<std::string> ItemsAbove(const std::string& list,
                                    const std::vector<std::string>& keyItems) {
  std::vector<std::string> items = SplitList(list, ',');
  std::erase_if(items, [&](const std::string& item) {
    return std::any_of(keyItems.begin(), keyItems.end(),
                       [&](const std::string& key) { return SameAsciiText(item, key); });
  });
  return items;
}

}  // namespace

TEPDConverter::TEPDConverter(const TConvertSettings& settings, const TChessFontInfoMan& fonts)
    : settings_(settings),
      writer_(fonts.FontInfoRef(settings.DiagFont), LayoutOf(settings)),
      keyItems_(settings.Layout.Solutions.empty() ? std::vector<std::string>()
                                                  : SplitList(settings.Layout.Solutions, ',')),
      items_(ItemsAbove(settings.Operations, keyItems_)) {
  InitPosition(rec_);
  const std::string text = "\\f0\\fs" + HalfPoints(settings_.TextFontSize);
  const std::string diagram = "\\f2\\fs" + HalfPoints(settings_.DiagFontSize);
  const std::string start = InTable() ? "\\pard\\intbl" : "\\keepn";
  opsHead_ = Keep(start + text + " ");
  boardHead_ = Keep(start + diagram + " ");
  boardHeadAfterOps_ = Keep("\\par " + diagram + " ");
  const std::string end(writer_.End());
  recordEnd_ = Keep(InTable() ? std::string("\\cell\r\n") : end + text + "\r\n");
  captionHead_ = Keep(end + (InTable() ? "" : " \\pard") + text + " ");
  captionEnd_ = Keep(InTable() ? "\\cell\r\n" : "\\par" + text + "\r\n");
  if (InTable()) {
    std::string row = "\\trowd\\trkeep\\trgaph" + std::to_string(kCellGap);
    const std::int64_t width = DiagramCellWidth(settings_, fonts.FontInfoRef(settings.DiagFont));
    for (int k = 1; k <= settings_.Layout.Columns; ++k)
      row += "\\cellx" + std::to_string(k * width);
    rowHead_ = Keep(row + "\r\n");
  }
  for (const std::string& item : items_) {
    std::string head = "\\par ";
    AppendRTFText(head, item);
    itemHeads_.push_back(Keep(head + ": "));
  }
  // Every fixed text at most once, the CR LF between records and the board.
  fixedRoom_ = 2 + fixed_.size() + writer_.MaxBoardSize() + TDiagramWriter::kSlack;
}

TEPDConverter::TPiece TEPDConverter::Keep(std::string_view text) {
  const TPiece piece{fixed_.size(), text.size()};
  fixed_.append(text);
  fixed_.append(kPad, '\0');
  return piece;
}

char* TEPDConverter::Put(char* p, TPiece piece, std::size_t from) const {
  const std::size_t size = piece.Size - from;
  if (size <= kPad)
    std::memcpy(p, fixed_.data() + piece.At + from, kPad);
  else
    std::memcpy(p, fixed_.data() + piece.At + from, size);
  return p + size;
}

char* TEPDConverter::Room(char* p, std::size_t more) {
  const auto used = static_cast<std::size_t>(p - text_.data());
  if (used + more + fixedRoom_ <= text_.size()) [[likely]]
    return p;
  text_.resize(std::max(used + more + fixedRoom_, 2 * text_.size()));
  return text_.data() + used;
}

namespace {

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

}  // namespace

// Operation n's operands joined by single blanks, escaped: an empty first
// operand adds nothing, a later empty one adds its separating blank. They
// are copied as they are, then escaped when a byte asks for it.
char* TEPDConverter::PutOperands(char* p, int n) {
  const std::span<const TOperations::TWord> words = OperandWords(rec_, n);
  if (words.empty()) return p;
  // Operands and their blanks stand in this range of the text.
  p = Room(p, words.back().At + words.back().Size - words.front().At);
  char* const start = p;
  for (const TOperations::TWord& word : words) {
    if (p != start) *p++ = ' ';
    const char* const text = rec_.Operations.Text.data() + word.At;
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

// The record as MakeRecordRTF makes it, with the CR LF before it, written
// by pointer after the pending text (growing a string by the room would
// clear it every time).
void TEPDConverter::AppendRecord() {
  char* p = Room(text_.data() + pending_, 0);
  if (InTable()) {
    if (cellsInRow_ == 0) p = Put(p, rowHead_);
  } else if (records_ > 1) {
    std::memcpy(p, "\r\n", 2);
    p += 2;
  }
  const auto opsAt = static_cast<std::size_t>(p - text_.data());
  p = Put(p, opsHead_);
  bool any = false;
  for (std::size_t k = 0; k < items_.size(); ++k) {
    const int n = FindOperation(rec_, items_[k]);
    if (n == 0) continue;
    p = Put(p, itemHeads_[k], any ? 0 : 5);  // "\par " only between items
    any = true;
    p = PutOperands(p, n);
  }
  p = any ? Put(p, boardHeadAfterOps_) : Put(text_.data() + opsAt, boardHead_);
  p = writer_.WriteBoard(p, rec_.Core, DrawnFromBlack(rec_, settings_.Layout.Orientation));
  p = PutRecordEnd(p);
  if (InTable() && ++cellsInRow_ == settings_.Layout.Columns) {
    p = Room(p, 7);
    std::memcpy(p, "\\row\r\n", 6);
    p += 6;
    cellsInRow_ = 0;
  }
  pending_ = static_cast<std::size_t>(p - text_.data());
  if (!keyItems_.empty()) AppendKeyLine();
}

std::string TEPDConverter::Caption() const {
  return ExpandTemplate(settings_.Layout.Caption, rec_, {records_, line_});
}

// What follows the board: the end of its last line, the caption, the end
// of the record or of its table cell.
char* TEPDConverter::PutRecordEnd(char* p) {
  if (settings_.Layout.Caption.empty()) return Put(p, recordEnd_);
  escaped_.clear();
  AppendRTFText(escaped_, Caption());
  p = Put(p, captionHead_);
  p = Room(p, escaped_.size());
  std::memcpy(p, escaped_.data(), escaped_.size());
  return Put(p + escaped_.size(), captionEnd_);
}

// The record's line of the answer key: its number and the key's operations
// as they would have printed above the diagram.
void TEPDConverter::AppendKeyLine() {
  std::string line = std::to_string(records_) + ".";
  const char* separator = " ";
  for (const std::string& item : keyItems_) {
    const int n = FindOperation(rec_, item);
    if (n == 0) continue;
    line += separator + item + ": " + OperandText(rec_, n);
    separator = "; ";
  }
  keyLines_.push_back(std::move(line));
}

std::vector<std::string> TEPDConverter::SolutionLines() const {
  if (keyItems_.empty()) return {};
  std::vector<std::string> lines{"Solutions"};
  lines.insert(lines.end(), keyLines_.begin(), keyLines_.end());
  return lines;
}

// Reads the next line into rec_; false, with the message, for a line that
// is not a valid record.
bool TEPDConverter::ReadLine(std::string_view line, bool& isRecord) {
  ++line_;
  const std::string_view text = TrimEPDLine(line);
  isRecord = !IsSkippedEPDLine(text);
  if (!isRecord) return true;
  if (!ReadEPDLine(rec_, text, &reason_)) {
    message_ = "Error in EPD string " + std::to_string(line_);
    isRecord = false;
    return false;
  }
  ++records_;
  return true;
}

bool TEPDConverter::ConvertLine(std::string_view line) {
  bool isRecord = false;
  if (!ReadLine(line, isRecord)) return false;
  if (!isRecord) return true;
  if (records_ == 1) {
    const std::string header = RTFHeader(settings_.TextFont, settings_.TextFont, settings_.DiagFont,
                                         settings_.DiagFontCharSet);
    char* const p = Room(text_.data() + pending_, header.size());
    std::memcpy(p, header.data(), header.size());
    pending_ += header.size();
  }
  AppendRecord();
  return true;
}

bool TEPDConverter::ConvertLine(std::string_view line, std::string& out) {
  const bool ok = ConvertLine(line);
  out.append(Pending());
  ClearPending();
  return ok;
}

bool TEPDConverter::ConvertLineParts(std::string_view line, TRecordParts& parts, bool& isRecord) {
  if (!ReadLine(line, isRecord)) return false;
  if (!isRecord) return true;
  parts.Above.clear();
  for (const std::string& item : items_)
    if (const int n = FindOperation(rec_, item); n > 0)
      parts.Above.push_back(item + ": " + OperandText(rec_, n));
  const bool fromBlack = DrawnFromBlack(rec_, settings_.Layout.Orientation);
  parts.Rows = writer_.BoardRows(rec_.Core, fromBlack);
  parts.MarkRow = writer_.MarkRow(rec_.Core, fromBlack);
  parts.MarkBlack = rec_.Core.SideToMove == cBlack;
  parts.Caption = settings_.Layout.Caption.empty() ? std::string() : Caption();
  if (!keyItems_.empty()) AppendKeyLine();
  return true;
}

void TEPDConverter::Finish(std::string& out) {
  out.append(Pending());
  ClearPending();
  if (records_ == 0) return;
  if (InTable()) {
    // A short last row is filled with empty cells; then the table ends.
    if (cellsInRow_ > 0) {
      for (; cellsInRow_ < settings_.Layout.Columns; ++cellsInRow_) out += "\\pard\\intbl\\cell";
      out += "\\row\r\n";
    }
    out += "\\pard";
  }
  if (!keyItems_.empty()) {
    out += "\r\n\\pard\\f0\\fs" + HalfPoints(settings_.TextFontSize) + " Solutions";
    for (const std::string& line : keyLines_) {
      out += "\\par ";
      AppendRTFText(out, line);
    }
  }
  out.append(RTFFooter());
}

TConvertResult ConvertEPDText(std::string_view text, const TConvertSettings& settings,
                              const TChessFontInfoMan& fonts) {
  TConvertResult result;
  TEPDConverter converter(settings, fonts);
  SplitEPDLines(text, [&](std::string_view line) {
    if (converter.ConvertLine(line, result.Document)) return true;
    result.Ok = false;
    return false;
  });
  if (!result.Ok) {
    result.Document.clear();
    result.Message = converter.Message();
    result.Reason = converter.Reason();
  } else {
    converter.Finish(result.Document);
  }
  return result;
}

}  // namespace bq
