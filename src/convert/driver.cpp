#include "convert/driver.h"

#include <algorithm>
#include <cstring>

#include "chess/parser.h"
#include "convert/diagram.h"
#include "convert/lines.h"
#include "fonts/rtf.h"
#include "support/bytes.h"

namespace bq {

TConvertSettings ReadConvertSettings(const TProfileFile& ini) {
  TConvertSettings s;
  s.DiagFont = ini.ReadString("General", "DiagFont", "");
  s.DiagFontCharSet = ini.ReadInt("General", "DiagFontCharSet", 0);
  s.DiagFontSize = ini.ReadInt("General", "DiagFontSize", 20);
  s.ShowCoords = ini.ReadInt("General", "ShowCoords", 0) != 0;
  s.TextFont = ini.ReadString("General", "TextFont", "Arial");
  s.TextFontSize = ini.ReadInt("General", "TextFontSize", 10);
  s.Operations = ini.ReadString("General", "Operations", "id,bm");
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

}  // namespace

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

TEPDConverter::TEPDConverter(const TConvertSettings& settings, const TChessFontInfoMan& fonts)
    : settings_(settings),
      writer_(fonts.FontInfoRef(settings.DiagFont), settings.ShowCoords),
      items_(SplitList(settings.Operations, ',')) {
  InitPosition(rec_);
  const std::string text = "\\f0\\fs" + HalfPoints(settings_.TextFontSize);
  const std::string diagram = "\\f2\\fs" + HalfPoints(settings_.DiagFontSize);
  opsHead_ = Keep(text + " ");
  boardHead_ = Keep(diagram + " ");
  boardHeadAfterOps_ = Keep("\\par " + diagram + " ");
  recordEnd_ = Keep("\\par" + text + "\r\n");
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
  const auto used = static_cast<std::size_t>(p - record_.data());
  if (used + more + fixedRoom_ <= record_.size()) [[likely]]
    return p;
  record_.resize(std::max(used + more + fixedRoom_, 2 * record_.size()));
  return record_.data() + used;
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
// by pointer into scratch memory that nothing fills beforehand (growing
// `out` by the room would clear it every time), then appended.
void TEPDConverter::AppendRecord(std::string& out) {
  char* p = Room(record_.data(), 0);
  if (records_ > 1) {
    std::memcpy(p, "\r\n", 2);
    p += 2;
  }
  const auto opsAt = static_cast<std::size_t>(p - record_.data());
  p = Put(p, opsHead_);
  bool any = false;
  for (std::size_t k = 0; k < items_.size(); ++k) {
    const int n = FindOperation(rec_, items_[k]);
    if (n == 0) continue;
    p = Put(p, itemHeads_[k], any ? 0 : 5);  // "\par " only between items
    any = true;
    p = PutOperands(p, n);
  }
  p = any ? Put(p, boardHeadAfterOps_) : Put(record_.data() + opsAt, boardHead_);
  p = writer_.WriteBoard(p, rec_.Core);
  p = Put(p, recordEnd_);
  out.append(record_.data(), static_cast<std::size_t>(p - record_.data()));
}

bool TEPDConverter::ConvertLine(std::string_view line, std::string& out) {
  ++line_;
  const std::string_view text = TrimEPDLine(line);
  if (IsSkippedEPDLine(text)) return true;
  if (!ReadEPDLine(rec_, text, &reason_)) {
    message_ = "Error in EPD string " + std::to_string(line_);
    return false;
  }
  if (records_++ == 0)
    out.append(RTFHeader(settings_.TextFont, settings_.TextFont, settings_.DiagFont,
                         settings_.DiagFontCharSet));
  AppendRecord(out);
  return true;
}

void TEPDConverter::Finish(std::string& out) {
  if (records_ > 0) out.append(RTFFooter());
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
