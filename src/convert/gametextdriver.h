#pragma once
// Game text into a record sink: each paragraph as it is, each diagram as a
// record of the one EPD converter, so that its board, orientation, mark and
// caption are those of every other diagram.
#include <string>
#include <string_view>

#include "convert/driver.h"
#include "convert/job.h"
#include "convert/record.h"
#include "games/choice.h"
#include "games/gametext.h"

namespace bq {

// The builder's options for the job's notation and the chosen diagrams.
TGameTextOptions GameTextOptions(const TConvertJob& job, const TDiagramPolicy& diagrams);

class TGameTextConverter {
 public:
  // `job` comes from GameTextJob and must outlive the converter.
  explicit TGameTextConverter(const TConvertJob& job) : converter_(job) {}

  // Hands the paragraph, or the record of its diagram, to `sink`. False
  // when the diagram's record is refused: Message() and Reason() say why.
  bool Add(const TGameParagraph& paragraph, TRecordSink& sink);
  void Finish(TRecordSink& sink) const { converter_.Finish(sink); }
  const std::string& Message() const { return converter_.Message(); }
  const std::string& Reason() const { return converter_.Reason(); }

 private:
  TEPDConverter converter_;
};

// Every game of `pgn` as text into `sink`, which is finished only when
// every game was read ("Error in game N" and the reason otherwise).
TConvertResult ConvertGameText(std::string_view pgn, const TConvertJob& job,
                               const TDiagramPolicy& diagrams, TRecordSink& sink);

// The RTF document of the games as text, and the EPD records of its
// diagrams, a line each (for the window's picture commands); both empty
// on failure. Picture diagrams take their PNG files from `pictures`.
struct TGameTextRtf : TRtfResult {
  std::string Diagrams;
};
TGameTextRtf ConvertGameText(std::string_view pgn, const TConvertJob& job,
                             const TDiagramPolicy& diagrams, const TBoardPng& pictures = {});

}  // namespace bq
