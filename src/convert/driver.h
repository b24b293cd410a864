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
#include "convert/layout.h"
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
  TLayoutSettings Layout;
};

// The conversion settings of section "General" with their defaults, as the
// desktop program keeps them; layout values that do not fit are read as
// their defaults and named in `warnings`.
TConvertSettings ReadConvertSettings(const TProfileFile& ini,
                                     std::vector<std::string>* warnings = nullptr);

// The width of a table cell that holds a diagram drawn with these settings
// (frame, coordinates and mark), in twips; and the warning for columns of
// such cells wider than an A4 page's text (17 cm), or "".
std::int32_t DiagramCellWidth(const TConvertSettings& settings, const ChessFontInfoRec& glyphs);
std::string ColumnsWidthWarning(const TConvertSettings& settings, const ChessFontInfoRec& glyphs);

// Splits at every separator; nothing trimmed, no empty item dropped.
std::vector<std::string> SplitList(std::string_view text, char separator);

// Text of one record: head, diagram, tail. `operationsText` goes in as it
// is (the converter escapes what it prints).
std::string MakeRecordRTF(const TPosition& rec, std::string_view operationsText, bool showCoords,
                          const TConvertSettings& settings, const ChessFontInfoRec& glyphs);

// What one record shows, unescaped, for the picture writers: the
// operations' lines, the board's lines of glyph codes, the line with the
// side-to-move mark (-1 for none) and the caption.
struct TRecordParts {
  std::vector<std::string> Above, Rows;
  int MarkRow = -1;
  bool MarkBlack = false;
  std::string Caption;
};

class TEPDConverter {
 public:
  TEPDConverter(const TConvertSettings& settings, const TChessFontInfoMan& fonts);

  // Converts the next line of the EPD text (line numbers count every line,
  // blank and comment lines included) into the document's pending text:
  // the header before the first record, CR LF between records. Returns
  // false when the line is not a valid EPD record; Message() and Reason()
  // then tell why, and the caller must stop.
  bool ConvertLine(std::string_view line);
  // The text converted since the last ClearPending(), which a caller that
  // streams the document writes out from time to time.
  std::string_view Pending() const { return {text_.data(), pending_}; }
  void ClearPending() { pending_ = 0; }
  // ConvertLine, then the pending text moved to the end of `out`.
  bool ConvertLine(std::string_view line, std::string& out);
  // Moves the pending text to `out` and appends the footer when at least
  // one record was written.
  void Finish(std::string& out);
  // ConvertLine for pictures: the record's parts instead of its RTF;
  // `isRecord` is false for a line that holds none (blank or comment).
  bool ConvertLineParts(std::string_view line, TRecordParts& parts, bool& isRecord);
  // The record read last, and the answer key so far: "Solutions" and a
  // line per record (nothing without the Solutions setting).
  const TPosition& Record() const { return rec_; }
  std::vector<std::string> SolutionLines() const;

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
  void AppendRecord();
  char* PutRecordEnd(char* p);
  void AppendKeyLine();
  bool ReadLine(std::string_view line, bool& isRecord);
  std::string Caption() const;

  bool InTable() const { return settings_.Layout.Columns > 1; }

  TConvertSettings settings_;
  TDiagramWriter writer_;
  std::vector<std::string> keyItems_;  // the Solutions setting, split
  std::vector<std::string> items_;     // the Operations setting, split, less the key's
  std::vector<std::string> keyLines_;  // the answer key's lines so far
  int cellsInRow_ = 0;                 // records in the table row begun
  std::string fixed_;
  std::vector<TPiece> itemHeads_;  // "\par ", the item escaped, ": "
  TPiece opsHead_, boardHead_, boardHeadAfterOps_, recordEnd_, captionHead_, captionEnd_, rowHead_;
  std::size_t fixedRoom_ = 0;  // what a record needs besides its operands
  // The pending text, written by pointer: its first pending_ bytes; the
  // rest is room that nothing fills beforehand.
  std::string text_;
  std::size_t pending_ = 0;
  std::string escaped_;  // scratch for an operand that needs escaping
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
