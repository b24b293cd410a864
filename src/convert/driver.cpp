#include "convert/driver.h"

#include <algorithm>
#include <bit>
#include <charconv>
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
void AppendHalfPoints(std::string& out, std::int32_t points) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, 2 * static_cast<long long>(points));
  out.append(buf, res.ptr);
}

void AppendRecordRTF(std::string& out, const TPosition& rec, std::string_view operationsText,
                     const TConvertSettings& s, const TDiagramWriter& writer) {
  std::string head;
  if (!operationsText.empty()) {
    head.append("\\f0\\fs");
    AppendHalfPoints(head, s.TextFontSize);
    head.push_back(' ');
    head.append(operationsText);
    head.append("\\par ");
  }
  head.append("\\f2\\fs");
  AppendHalfPoints(head, s.DiagFontSize);
  std::string tail = "\\f0\\fs";
  AppendHalfPoints(tail, s.TextFontSize);
  writer.Append(out, rec.Core, head, tail);
}

}  // namespace

std::string MakeRecordRTF(const TPosition& rec, std::string_view operationsText, bool showCoords,
                          const TConvertSettings& settings, const ChessFontInfoRec& glyphs) {
  std::string out;
  AppendRecordRTF(out, rec, operationsText, settings, TDiagramWriter(glyphs, showCoords));
  return out;
}

namespace {

// Classes of the bytes of an operations text (see opsClass_).
constexpr std::uint8_t kWordByte = 0, kBlankByte = 1, kSemicolonByte = 2, kOtherByte = 3;

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Copies text to p and returns its end. Operands are mostly a few bytes:
// two overlapping moves instead of a call.
char* PutShort(char* p, std::string_view text) {
  const std::size_t n = text.size();
  const char* const s = text.data();
  if (n > 16)
    std::memcpy(p, s, n);
  else
    CopyShort(p, s, n);
  return p + n;
}

// Up to 8 bytes as one number, the first in the lowest byte.
std::uint64_t PackedBytes(const char* s, std::size_t n) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < n; ++i)
    key |= std::uint64_t{static_cast<unsigned char>(s[i])} << (8 * i);
  return key;
}

// An opcode of at most 8 bytes, all below 128, packed as PackedBytes does
// with a..z in upper case as FoldCase has them; `room` bytes may be read.
std::uint64_t FoldedKey(const char* s, std::size_t n, std::size_t room) {
  std::uint64_t w;
  if (room >= 8 && std::endian::native == std::endian::little) {
    std::memcpy(&w, s, 8);
    if (n < 8) w &= (std::uint64_t{1} << (8 * n)) - 1;
  } else {
    w = PackedBytes(s, n);
  }
  // Bytes below 128 cannot carry into their neighbours here.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const std::uint64_t lower =
      (w + kOnes * (0x80 - 'a')) & ~(w + kOnes * (0x80 - 'z' - 1)) & (kOnes * 0x80);
  return w - (lower >> 2);
}

// Whether an opcode is the item (in upper case), as FindOperation compares.
bool SameUpper(std::string_view opcode, std::string_view upper) {
  if (opcode.size() != upper.size()) return false;
  for (std::size_t k = 0; k < upper.size(); ++k)
    if (FoldCase(opcode[k]) != upper[k]) return false;
  return true;
}

}  // namespace

TEPDConverter::TBlock TEPDConverter::MakeBlock(std::string_view text) {
  TBlock block;
  block.Size = text.size();
  if (text.size() <= block.Bytes.size() - 16)
    std::copy(text.begin(), text.end(), block.Bytes.begin());
  else
    block.Long = text;
  return block;
}

// Copies the block's text from `from` on; a short text goes as one block of
// 48 bytes, which the room behind every record takes.
char* TEPDConverter::Put(char* p, const TBlock& block, std::size_t from) {
  if (block.Long.empty())
    std::memcpy(p, block.Bytes.data() + from, 48);
  else
    std::memcpy(p, block.Long.data() + from, block.Size - from);
  return p + (block.Size - from);
}

TEPDConverter::TEPDConverter(const TConvertSettings& settings, const TChessFontInfoMan& fonts)
    : settings_(settings),
      writer_(fonts.FontInfoRef(settings.DiagFont), settings.ShowCoords),
      operations_(SplitList(settings.Operations, ',')) {
  InitPosition(rec_);
  std::string text = "\\f0\\fs";
  AppendHalfPoints(text, settings_.TextFontSize);
  recordEnd_ = MakeBlock("\\par" + text + "\r\n");
  opsHead_ = MakeBlock(text + " ");
  text = "\\f2\\fs";
  AppendHalfPoints(text, settings_.DiagFontSize);
  boardHead_ = MakeBlock(text + " ");
  boardHeadAfterOps_ = MakeBlock("\\par " + text + " ");
  fixedRoom_ = 2 + opsHead_.Size + boardHeadAfterOps_.Size + writer_.MaxBoardSize() +
               recordEnd_.Size + TDiagramWriter::kSlack + 48;
  for (const std::string& item : operations_) {
    text = "\\par ";
    AppendRTFText(text, item);
    text += ": ";
    items_.push_back(MakeBlock(text));
    fixedRoom_ += text.size();
    std::string upper(item);
    for (char& c : upper) c = FoldCase(c);
    upperItems_.push_back(upper);
  }
  found_.resize(upperItems_.size());
  itemText_.resize(upperItems_.size());
  // ASCII bytes are escaped alone or not at all, so a run of such bytes
  // that each stay as they are stays as it is.
  escaped_.fill(1);
  for (int b = 0; b < 128; ++b) {
    const char c = static_cast<char>(b);
    escaped_[static_cast<std::size_t>(b)] =
        EscapeRTFText(std::string_view(&c, 1)) == std::string_view(&c, 1) ? 0 : 1;
  }
  for (std::size_t b = 0; b < 256; ++b) {
    opsClass_[b] = escaped_[b] || b == '\r' || b == '\n' || b == 0 ? kOtherByte
                   : b == ' '                                      ? kBlankByte
                   : b == ';'                                      ? kSemicolonByte
                                                                   : kWordByte;
  }
  itemMasks_ = upperItems_.size() <= 64;
  for (std::size_t k = 0; itemMasks_ && k < upperItems_.size(); ++k) {
    const std::uint64_t bit = std::uint64_t{1} << k;
    allItems_ |= bit;
    const std::string& upper = upperItems_[k];
    itemSize_.push_back(upper.size());
    itemKey_.push_back(upper.size() <= 8 ? PackedBytes(upper.data(), upper.size()) : 0);
    if (upper.empty()) {
      emptyItems_ |= bit;
      continue;
    }
    for (std::size_t b = 0; b < 256; ++b)
      if (FoldCase(static_cast<char>(b)) == upper[0]) firstByteItems_[b] |= bit;
    if (upper.size() > 8) {
      longItems_ |= bit;
      continue;
    }
    // Short items by key; an item named twice shares its slot.
    std::size_t h = KeySlot(itemKey_[k]);
    while (keySlots_[h].Key != 0 && keySlots_[h].Key != itemKey_[k]) h = (h + 1) % kKeySlots;
    keySlots_[h].Key = itemKey_[k];
    keySlots_[h].Items |= bit;
  }
}

// The record as AppendRecordRTF writes it, with the separator before it, by
// pointer into one resize of `out`, when no operand needs escaping; false
// (nothing written) otherwise. Operands and their blanks come from the
// line, so its size bounds what one item prints.
bool TEPDConverter::AppendRecordPlain(std::string& out, std::size_t lineSize) {
  // Written into scratch memory that nothing fills beforehand, then
  // appended: growing `out` by the room would clear the room every time.
  const std::size_t room = fixedRoom_ + items_.size() * (lineSize + 1);
  if (room > recordRoom_) {
    recordRoom_ = std::max(room, 2 * recordRoom_);
    record_ = std::make_unique_for_overwrite<char[]>(recordRoom_);
  }
  char* const begin = record_.get();
  char* p = begin;
  if (records_ > 1) {
    p[0] = '\r';
    p[1] = '\n';
    p += 2;
  }
  char* const opsHead = p;
  p = Put(p, opsHead_);
  bool any = false;
  unsigned escaped = 0;
  const std::uint8_t* const escapes = escaped_.data();
  // Items found by the plain gathering: their operands as they stand in
  // the line, with nothing to escape.
  for (std::uint64_t found = plainOperands_ ? itemFound_ : 0; found != 0; found &= found - 1) {
    const auto k = static_cast<std::size_t>(std::countr_zero(found));
    p = Put(p, items_[k], any ? 0 : 5);
    any = true;
    p = PutShort(p, itemText_[k]);
  }
  for (std::size_t k = 0; !plainOperands_ && k < found_.size(); ++k) {
    const TOperation* const op = found_[k];
    if (op == nullptr) continue;
    // "\par " only between items.
    p = Put(p, items_[k], any ? 0 : 5);
    any = true;
    // Operands joined by single blanks: an empty first operand adds
    // nothing, a later empty one adds its separating blank.
    bool started = false;
    for (std::size_t i = op->First; i < op->First + op->Count; ++i) {
      if (started) *p++ = ' ';
      const char* const text = operands_[i].data();
      const std::size_t size = operands_[i].size();
      for (std::size_t j = 0; j < size; ++j) {
        const char c = text[j];
        p[j] = c;
        escaped |= escapes[static_cast<unsigned char>(c)];
      }
      p += size;
      started = started || size != 0;
    }
  }
  if (escaped) return false;
  if (any) {
    p = Put(p, boardHeadAfterOps_);
  } else {
    p = Put(opsHead, boardHead_);
  }
  // The record's board is always one the readers filled.
  p = writer_.WriteBoard(p, rec_.Core);
  p = Put(p, recordEnd_);
  out.append(begin, static_cast<std::size_t>(p - begin));
  return true;
}

// A line in the usual form, read without storing its operations: the
// fields by the parser's plain reader, the operations as views. False
// (nothing decided) for any other line.
bool TEPDConverter::ReadPlainLine(std::string_view text) {
  // The plain field reader refuses a NUL in the fields, and the plain
  // gathering one in the operations; only then is the line searched for it.
  TPieceCounts counts;
  TPieceCells cells;
  const char* const ops = ReadPlainEPDFields(text, rec_.Core, counts, cells);
  if (ops == nullptr) return false;
  // As ReadEPDLine goes on: an impossible position is replaced by the start
  // position.
  rec_.Core.MoveNumber = 1;
  if (!IsLegalPosition(rec_)) SetStartPosition(rec_.Core);
  const std::string_view operations(ops, static_cast<std::size_t>(text.data() + text.size() - ops));
  if (GatherPlainOperations(operations)) return true;
  if (std::memchr(text.data(), 0, text.size()) != nullptr) return false;
  GatherOperations(operations);
  return true;
}

// The operations of a text whose words hold only bytes that print as they
// are, with single blanks between operands and no empty operand: what an
// item prints is then the text from its first operand to its last. Only
// the items are noted (itemFound_, itemText_). False for any other text, and
// with more than 64 items, which GatherOperations reads.
bool TEPDConverter::GatherPlainOperations(std::string_view text) {
  if (!itemMasks_) return false;
  const std::uint8_t* const classes = opsClass_.data();
  const char* p = text.data();
  const char* const end = p + text.size();
  // A text that ends in a byte outside every word (";" as a rule) stops
  // each word scan by itself; the rare other text goes the general way.
  if (p != end && classes[static_cast<unsigned char>(end[-1])] == kWordByte) return false;
  const auto wordEnd = [classes](const char* q) {
    while (classes[static_cast<unsigned char>(*q)] == kWordByte) ++q;
    return q;
  };
  std::uint64_t open = allItems_;  // items not found yet
  for (;;) {
    while (p != end && *p == ' ') ++p;
    if (p == end) break;
    const char* const opcode = p;
    p = wordEnd(p);
    std::uint64_t matched = 0;
    if (const auto size = static_cast<std::size_t>(p - opcode); size == 0) {
      matched = open & emptyItems_;
    } else if (size <= 8) {
      // Opcode bytes are word bytes, all below 128: short ones are looked
      // up packed.
      const std::uint64_t key = FoldedKey(opcode, size, static_cast<std::size_t>(end - opcode));
      std::size_t h = KeySlot(key);
      while (keySlots_[h].Key != key && keySlots_[h].Key != 0) h = (h + 1) % kKeySlots;
      matched = open & keySlots_[h].Items;
    } else {
      std::uint64_t candidates =
          open & longItems_ & firstByteItems_[static_cast<unsigned char>(*opcode)];
      for (; candidates != 0; candidates &= candidates - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(candidates));
        if (itemSize_[k] == size && SameUpper(std::string_view(opcode, size), upperItems_[k]))
          matched |= std::uint64_t{1} << k;
      }
    }
    open &= ~matched;
    // The word ended before the end of the text, at a blank or ";".
    std::uint8_t c = classes[static_cast<unsigned char>(*p++)];
    if (c == kOtherByte) return false;
    const char* first = p;
    const char* last = p;
    if (c == kBlankByte) {
      while (p != end && *p == ' ') ++p;
      first = p;
      last = p;
      while (p != end) {
        const char* const word = p;
        p = wordEnd(p);
        if (p == word) return false;  // an empty operand, or a byte to escape
        c = classes[static_cast<unsigned char>(*p)];
        if (c == kOtherByte) return false;
        last = p++;
        if (c == kSemicolonByte) break;
        if (p != end && *p == ' ') return false;
      }
    }
    for (; matched != 0; matched &= matched - 1)
      itemText_[static_cast<std::size_t>(std::countr_zero(matched))] =
          std::string_view(first, static_cast<std::size_t>(last - first));
  }
  itemFound_ = allItems_ & ~open;
  plainOperands_ = true;
  return true;
}

void TEPDConverter::GatherOperations(std::string_view text) {
  plainOperands_ = false;
  ops_.clear();
  operands_.clear();
  TEPDOperationReader reader(text);
  std::string_view word;
  while (reader.NextOpcode(word)) {
    TOperation op{word, operands_.size(), 0};
    while (reader.NextOperand(word)) operands_.push_back(word);
    op.Count = operands_.size() - op.First;
    ops_.push_back(op);
  }
  FindItems();
}

void TEPDConverter::GatherRecordOperations() {
  plainOperands_ = false;
  ops_.clear();
  operands_.clear();
  for (std::size_t i = 0; i < rec_.Opcodes.size() && i < rec_.Operands.size(); ++i) {
    TOperation op{rec_.Opcodes[i], operands_.size(), rec_.Operands[i].size()};
    for (const std::string& operand : rec_.Operands[i]) operands_.push_back(operand);
    ops_.push_back(op);
  }
  FindItems();
}

// The first operation of every item, as FindOperation finds it.
void TEPDConverter::FindItems() {
  const TOperation* const begin = ops_.data();
  const TOperation* const end = begin + ops_.size();
  for (std::size_t k = 0; k < upperItems_.size(); ++k) {
    const std::string_view upper = upperItems_[k];
    const TOperation* op = begin;
    while (op != end && !SameUpper(op->Opcode, upper)) ++op;
    found_[k] = op != end ? op : nullptr;
  }
}

// The record with operands that need escaping, the way MakeRecordRTF
// builds it, with the separator before it.
void TEPDConverter::AppendRecordEscaped(std::string& out) {
  if (records_ > 1) out.append("\r\n");
  head_.clear();
  for (std::size_t k = 0; k < found_.size(); ++k) {
    const TOperation* const op = found_[k];
    if (op == nullptr) continue;
    if (!head_.empty()) head_.append("\\par ");
    AppendRTFText(head_, operations_[k]);
    head_.append(": ");
    bool started = false;
    for (std::size_t i = op->First; i < op->First + op->Count; ++i) {
      if (started) head_.push_back(' ');
      AppendRTFText(head_, operands_[i]);
      started = started || !operands_[i].empty();
    }
  }
  AppendRecordRTF(out, rec_, head_, settings_, writer_);
}

bool TEPDConverter::ConvertLine(std::string_view line, std::string& out) {
  ++line_;
  const std::string_view text = TrimEPDLine(line);
  if (IsSkippedEPDLine(text)) return true;
  reason_.clear();
  if (!ReadPlainLine(text)) {
    if (!ReadEPDLine(rec_, text, &reason_)) {
      message_ = "Error in EPD string " + std::to_string(line_);
      return false;
    }
    GatherRecordOperations();
  }
  if (records_ == 0)
    out.append(RTFHeader(settings_.TextFont, settings_.TextFont, settings_.DiagFont,
                         settings_.DiagFontCharSet));
  ++records_;
  if (!AppendRecordPlain(out, text.size())) AppendRecordEscaped(out);
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
