#pragma once
// The conversion driver: EPD lines in, one RTF document out, record by
// record, so that the command line can stream into a file and the desktop
// window can collect the same text into its preview.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "convert/diagram.h"
#include "fonts/catalogue.h"
#include "support/profile.h"

namespace bq {

struct TConvertSettings {
  std::string Operations = "id,bm";
  std::string DiagFont;
  std::int32_t DiagFontCharSet = 0;
  std::int32_t DiagFontSize = 20;
  bool ShowCoords = false;
  std::string TextFont = "Arial";
  std::int32_t TextFontSize = 10;
};

// The conversion settings of section "General" with their defaults, as the
// desktop program keeps them.
TConvertSettings ReadConvertSettings(const TProfileFile& ini);

// Splits at every separator; nothing trimmed, no empty item dropped.
std::vector<std::string> SplitList(std::string_view text, char separator);

// Text of one record: head, diagram, tail.
std::string MakeRecordRTF(const TPosition& rec, std::string_view operationsText, bool showCoords,
                          const TConvertSettings& settings, const ChessFontInfoRec& glyphs);

class TEPDConverter {
 public:
  TEPDConverter(const TConvertSettings& settings, const TChessFontInfoMan& fonts);

  // Converts the next line of the EPD text (line numbers count every line,
  // blank and comment lines included). Appends to `out`: the header before
  // the first record, CR LF between records. Returns false when the line is
  // not a valid EPD record; Message() and Reason() then tell why, and the
  // caller must stop.
  bool ConvertLine(std::string_view line, std::string& out);
  // Appends the footer when at least one record was written.
  void Finish(std::string& out);

  bool HasRecords() const { return records_ > 0; }
  long long Records() const { return records_; }
  long long LineNumber() const { return line_; }  // lines consumed so far
  // "Error in EPD string N" and the reader's words for what is wrong.
  const std::string& Message() const { return message_; }
  const std::string& Reason() const { return reason_; }

 private:
  TConvertSettings settings_;
  TDiagramWriter writer_;
  std::vector<std::string> operations_;
  TPosition rec_;
  long long line_ = 0;
  long long records_ = 0;
  std::string message_, reason_;

  // A fixed piece of a record, stored with room to be copied as one block.
  struct TBlock {
    std::array<char, 64> Bytes{};
    std::size_t Size = 0;
    std::string Long;  // the text when it does not fit
  };
  static TBlock MakeBlock(std::string_view text);
  static char* Put(char* p, const TBlock& block, std::size_t from = 0);

  // Made once: the operations text font, each item as "\par ", the item
  // escaped and ": ", the diagram font with and without "\par " before it,
  // and the end of a record.
  TBlock opsHead_, boardHead_, boardHeadAfterOps_, recordEnd_;
  std::vector<TBlock> items_;
  std::vector<std::string> upperItems_;  // items in upper case, for the look-up
  std::size_t fixedRoom_ = 0;            // room a record needs besides its operands
  std::unique_ptr<char[]> record_;       // where the plain way writes a record
  std::size_t recordRoom_ = 0;
  std::array<std::uint8_t, 256> escaped_{};  // 1 for bytes that operand escaping changes
  std::string head_;                         // scratch of the general way

  // The operations of the current line, as views (into the line, or into
  // rec_ after the general reading): every opcode with the range of its
  // operands in operands_.
  struct TOperation {
    std::string_view Opcode;
    std::size_t First = 0, Count = 0;
  };
  std::vector<TOperation> ops_;
  std::vector<std::string_view> operands_;
  std::vector<const TOperation*> found_;  // per item: its operation, or null
  // Per byte of the operations text: 0 for a byte that stays as it is in a
  // word, else a blank, a semicolon or anything that needs the general way.
  std::array<std::uint8_t, 256> opsClass_{};
  // After a plain gathering: the items found as bits, and what each prints.
  bool plainOperands_ = false;
  std::uint64_t itemFound_ = 0;
  std::vector<std::string_view> itemText_;
  // With at most 64 items: per byte, the items whose first byte it is in
  // either case, as bits; and the bits of the empty items and of all.
  bool itemMasks_ = false;
  std::array<std::uint64_t, 256> firstByteItems_{};
  std::uint64_t emptyItems_ = 0, allItems_ = 0;
  // Per item: its size, and its bytes packed (first byte lowest) when it
  // has at most 8.
  std::vector<std::size_t> itemSize_;
  std::vector<std::uint64_t> itemKey_;
  // The items of 1 to 8 bytes by packed key (open addressing; a key is
  // never 0), and the bits of the longer ones.
  struct TKeySlot {
    std::uint64_t Key = 0;
    std::uint64_t Items = 0;
  };
  static constexpr std::size_t kKeySlots = 128;
  static std::size_t KeySlot(std::uint64_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 57);
  }
  std::array<TKeySlot, kKeySlots> keySlots_{};
  std::uint64_t longItems_ = 0;

  bool ReadPlainLine(std::string_view text);
  void GatherOperations(std::string_view text);
  bool GatherPlainOperations(std::string_view text);
  void GatherRecordOperations();
  void FindItems();
  bool AppendRecordPlain(std::string& out, std::size_t lineSize);
  void AppendRecordEscaped(std::string& out);
};

struct TConvertResult {
  bool Ok = true;
  std::string Document;  // empty when no line had content or a line failed
  std::string Message;   // set when a line failed
  std::string Reason;
};

// Whole-text convenience for the desktop window and tests; lines are split
// and trimmed as SplitEPDLines says.
TConvertResult ConvertEPDText(std::string_view text, const TConvertSettings& settings,
                              const TChessFontInfoMan& fonts);

}  // namespace bq
