#include "convert/driver.h"

#include <charconv>

#include "chess/parser.h"
#include "convert/diagram.h"
#include "convert/lines.h"
#include "fonts/rtf.h"

namespace bq {

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

// Operands joined by single blanks: an empty first operand adds nothing, a
// later empty one adds its separating blank.
void AppendOperandText(std::string& out, const TPosition& rec, int n) {
  bool any = false;
  for (const std::string& operand : rec.Operands[n - 1]) {
    if (any) out.push_back(' ');
    AppendRTFText(out, operand);
    any = any || !operand.empty();
  }
}

void AppendOperationsText(std::string& out, const TPosition& rec,
                          const std::vector<std::string>& operations) {
  for (const std::string& item : operations) {
    const int n = FindOperation(rec, item);
    if (n == 0) continue;
    if (!out.empty()) out.append("\\par ");
    AppendRTFText(out, item);
    out.append(": ");
    AppendOperandText(out, rec, n);
  }
}

void AppendRecordRTF(std::string& out, const TPosition& rec, std::string_view operationsText,
                     bool showCoords, const TConvertSettings& s, const ChessFontInfoRec& glyphs) {
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
  AppendDiagram(out, rec, head, tail, showCoords, glyphs);
}

}  // namespace

std::string MakeRecordRTF(const TPosition& rec, std::string_view operationsText, bool showCoords,
                          const TConvertSettings& settings, const ChessFontInfoRec& glyphs) {
  std::string out;
  AppendRecordRTF(out, rec, operationsText, showCoords, settings, glyphs);
  return out;
}

TEPDConverter::TEPDConverter(const TConvertSettings& settings, const TChessFontInfoMan& fonts)
    : settings_(settings),
      glyphs_(fonts.GetFontInfoByName(settings.DiagFont)),
      operations_(SplitList(settings.Operations, ',')) {
  InitPosition(rec_);
}

bool TEPDConverter::ConvertLine(std::string_view line, std::string& out) {
  ++line_;
  const std::string_view text = TrimEPDLine(line);
  if (IsSkippedEPDLine(text)) return true;
  reason_.clear();
  if (!ReadEPDLine(rec_, text, &reason_)) {
    message_ = "Error in EPD string " + std::to_string(line_);
    return false;
  }
  if (records_ == 0) {
    out.append(RTFHeader(settings_.TextFont, settings_.TextFont, settings_.DiagFont,
                         settings_.DiagFontCharSet));
  } else {
    out.append("\r\n");
  }
  ++records_;
  opsText_.clear();
  AppendOperationsText(opsText_, rec_, operations_);
  AppendRecordRTF(out, rec_, opsText_, settings_.ShowCoords, settings_, glyphs_);
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
