#pragma once
// The conversion driver: EPD lines in, one record for each out to a writer
// (see TRecordSink), so that the command line can stream into a file and
// the desktop window can collect the same document into its preview.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "convert/job.h"
#include "convert/record.h"

namespace bq {

// The heading of the answer key.
inline constexpr std::string_view kSolutionsHeading = "Solutions";

class TEPDConverter {
 public:
  // `job` must outlive the converter.
  explicit TEPDConverter(const TConvertJob& job);

  // Reads the next line of the EPD text (line numbers count every line,
  // blank and comment lines included); a record goes to `sink`. Returns
  // false when the line is not a valid EPD record; Message() and Reason()
  // then tell why, and the caller must stop.
  bool ConvertLine(std::string_view line, TRecordSink& sink);
  // Hands the answer key to `sink`, which completes its output.
  void Finish(TRecordSink& sink) const { sink.Finish(SolutionLines()); }
  // The answer key so far: its heading and a line per record (nothing
  // without the Solutions setting).
  std::vector<std::string> SolutionLines() const;

  long long Records() const { return record_.Number; }
  long long LineNumber() const { return record_.Line; }  // lines consumed so far
  // "Error in EPD string N" and the reader's words for what is wrong.
  const std::string& Message() const { return message_; }
  const std::string& Reason() const { return reason_; }

 private:
  bool LookUpOperations();
  void BuildRecord();
  void AppendKeyLine();

  const TConvertJob& job_;
  TPosition position_;
  int view_ = 0;  // the number of its view operation
  TRecord record_;
  std::vector<std::string> keyLines_;  // the answer key's lines so far
  std::string message_, reason_;
};

struct TConvertResult {
  bool Ok = true;
  std::string Message;  // set when a line failed
  std::string Reason;
  long long Line = 0;  // the line that failed
};

// Converts every line of `text` (split and trimmed as SplitEPDLines says)
// into `sink`, up to line `lastLine` (from 1; 0: all); the sink is
// finished only when every line was a record or none.
TConvertResult ConvertEPDText(std::string_view text, const TConvertJob& job, TRecordSink& sink,
                              long long lastLine = 0);

// The RTF document of `text`; empty when no line had content or a line
// failed. Picture diagrams take their PNG files from `pictures`.
struct TRtfResult : TConvertResult {
  std::string Document;
  bool DroppedArrows = false;  // a record had arrows or circles, which typing leaves out
};
TRtfResult ConvertEPDText(std::string_view text, const TConvertJob& job,
                          const TBoardPng& pictures = {});

// The RTF document that `convert` writes into the writer it is given, held
// whole; empty when the conversion fails.
TRtfResult WriteRtf(const TConvertJob& job, const TBoardPng& pictures,
                    const std::function<TConvertResult(TRecordSink&)>& convert);

}  // namespace bq
