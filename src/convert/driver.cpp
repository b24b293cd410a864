#include "convert/driver.h"

#include "chess/parser.h"
#include "convert/lines.h"
#include "convert/rtfwriter.h"
#include "support/ascii.h"

namespace bq {

TEPDConverter::TEPDConverter(const TConvertJob& job) : job_(job) {
  InitPosition(position_);
  record_.Position = &position_;
}

// One pass over the opcodes of the position just read: its view
// operation, and whether an opcode may be csl or cal. Then its marks, with
// the Marks setting on; false for a malformed one.
bool TEPDConverter::LookUpOperations() {
  const TOperations& ops = position_.Operations;
  view_ = 0;
  bool mayMark = false;
  for (std::size_t i = 0; i < ops.Opcodes.size(); ++i) {
    const TOperations::TWord& word = ops.Words[ops.Opcodes[i]];
    const char* const text = ops.Text.data() + word.At;
    if (word.Size == 3)
      mayMark = mayMark || (text[0] | 0x20) == 'c';
    else if (word.Size == 4 && view_ == 0 && SameAsciiText({text, 4}, "view"))
      view_ = static_cast<int>(i + 1);
  }
  if (job_.Settings.Marks && mayMark) return ReadMarks(position_, record_.Marks, &reason_);
  if (!record_.Marks.Empty()) record_.Marks.Clear();
  return true;
}

// The record of the position just read: what prints above it, how it is
// seen, its place in the layout and its caption.
void TEPDConverter::BuildRecord() {
  TRecord& rec = record_;
  ++rec.Number;
  rec.Above.clear();
  for (std::size_t k = 0; k < job_.AboveItems.size(); ++k)
    if (const int n = FindOperation(position_, job_.AboveItems[k]); n != 0)
      rec.Above.push_back({static_cast<int>(k), n});
  rec.FromBlack = DrawnFromBlack(position_, view_, job_.Settings.Layout.Orientation);
  rec.Column =
      InColumns(job_) ? static_cast<int>((rec.Number - 1) % job_.Settings.Layout.Columns) : 0;
  if (!job_.Settings.Layout.Caption.empty())
    rec.Caption = ExpandTemplate(job_.Settings.Layout.Caption, position_, {rec.Number, rec.Line});
  if (!job_.KeyItems.empty()) AppendKeyLine();
}

// The record's line of the answer key: its number and the key's operations
// as they would have printed above the diagram.
void TEPDConverter::AppendKeyLine() {
  std::string line = std::to_string(record_.Number) + ".";
  const char* separator = " ";
  for (const std::string& item : job_.KeyItems) {
    const int n = FindOperation(position_, item);
    if (n == 0) continue;
    line += separator + item + ": " + OperandText(position_, n);
    separator = "; ";
  }
  keyLines_.push_back(std::move(line));
}

std::vector<std::string> TEPDConverter::SolutionLines() const {
  if (job_.KeyItems.empty()) return {};
  std::vector<std::string> lines{std::string(kSolutionsHeading)};
  lines.insert(lines.end(), keyLines_.begin(), keyLines_.end());
  return lines;
}

bool TEPDConverter::ConvertLine(std::string_view line, TRecordSink& sink) {
  ++record_.Line;
  const std::string_view text = TrimEPDLine(line);
  if (IsSkippedEPDLine(text)) return true;
  if (!ReadEPDLine(position_, text, &reason_) || !LookUpOperations()) {
    message_ = "Error in EPD string " + std::to_string(record_.Line);
    return false;
  }
  BuildRecord();
  sink.Add(record_);
  return true;
}

TConvertResult ConvertEPDText(std::string_view text, const TConvertJob& job, TRecordSink& sink,
                              long long lastLine) {
  TConvertResult result;
  TEPDConverter converter(job);
  SplitEPDLines(text, [&](std::string_view line) {
    if (lastLine > 0 && converter.LineNumber() >= lastLine) return false;
    if (converter.ConvertLine(line, sink)) return true;
    result.Ok = false;
    result.Message = converter.Message();
    result.Reason = converter.Reason();
    result.Line = converter.LineNumber();
    return false;
  });
  if (result.Ok) converter.Finish(sink);
  return result;
}

TRtfResult WriteRtf(const TConvertJob& job, const TBoardPng& pictures,
                    const std::function<TConvertResult(TRecordSink&)>& convert) {
  TRtfResult result;
  TRtfWriter writer(
      job, [&](std::string_view piece) { result.Document.append(piece); }, pictures);
  static_cast<TConvertResult&>(result) = convert(writer);
  if (!result.Ok) result.Document.clear();
  result.DroppedArrows = result.Ok && writer.DroppedArrows();
  return result;
}

TRtfResult ConvertEPDText(std::string_view text, const TConvertJob& job,
                          const TBoardPng& pictures) {
  return WriteRtf(job, pictures,
                  [&](TRecordSink& writer) { return ConvertEPDText(text, job, writer); });
}

}  // namespace bq
