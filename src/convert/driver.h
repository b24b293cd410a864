#pragma once
// The conversion driver: EPD lines in, one RTF document out, record by
// record, so that the command line can stream into a file and the desktop
// window can collect the same text into its preview.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "fonts/catalogue.h"

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
  ChessFontInfoRec glyphs_;
  std::vector<std::string> operations_;
  TPosition rec_;
  long long line_ = 0;
  long long records_ = 0;
  std::string message_, reason_, opsText_;
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
