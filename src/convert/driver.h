#pragma once
// The conversion driver: EPD lines in, one RTF document out, record by
// record, so that the command line can stream into a file and the desktop
// window can collect the same text into its preview.
#include <array>
#include <cstdint>
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

// Text of one record: head, diagram, tail. `operationsText` goes in as it
// is (the converter escapes what it prints).
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
  // A fixed text of every record: a range of fixed_, which has kPad spare
  // bytes behind each, so that a short one is copied as one block.
  static constexpr std::size_t kPad = 32;
  struct TPiece {
    std::size_t At = 0, Size = 0;
  };
  TPiece Keep(std::string_view text);
  char* Put(char* p, TPiece piece, std::size_t from = 0) const;
  // p, moved with the scratch record when that grows to hold `more` bytes
  // after p besides the room of the fixed parts.
  char* Room(char* p, std::size_t more);
  char* PutOperands(char* p, int n);
  void AppendRecord(std::string& out);

  TConvertSettings settings_;
  TDiagramWriter writer_;
  std::vector<std::string> items_;  // the Operations setting, split
  std::string fixed_;
  std::vector<TPiece> itemHeads_;  // "\par ", the item escaped, ": "
  TPiece opsHead_, boardHead_, boardHeadAfterOps_, recordEnd_;
  std::size_t fixedRoom_ = 0;  // what a record needs besides its operands
  std::string record_;         // scratch: written by pointer, then appended
  std::string escaped_;        // scratch for an operand that needs escaping
  TPosition rec_;
  long long line_ = 0;
  long long records_ = 0;
  std::string message_, reason_;
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
