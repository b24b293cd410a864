#include "convert/gametextdriver.h"

#include <vector>

#include "games/pgntext.h"

namespace bq {

TGameTextOptions GameTextOptions(const TConvertJob& job, const TDiagramPolicy& diagrams) {
  TGameTextOptions options;
  options.Diagrams = diagrams;
  options.Notation = NotationLetters(job.Settings.Notation);
  return options;
}

bool TGameTextConverter::Add(const TGameParagraph& paragraph, TRecordSink& sink) {
  if (!paragraph.IsDiagram()) {
    sink.AddParagraph(paragraph);
    return true;
  }
  return converter_.ConvertLine(paragraph.Diagram, sink);
}

namespace {

// The games into `sink`; with `records`, the EPD record of each diagram
// appended there, a line each.
TConvertResult ConvertInto(std::string_view pgn, const TConvertJob& job,
                           const TDiagramPolicy& diagrams, TRecordSink& sink,
                           std::string* records) {
  TPgnTextReader reader{TPgnLexer(pgn), GameTextOptions(job, diagrams)};
  TGameTextConverter converter(job);
  std::vector<TGameParagraph> paragraphs;
  while (reader.Next(paragraphs)) {
    for (const TGameParagraph& paragraph : paragraphs) {
      if (records && paragraph.IsDiagram()) records->append(paragraph.Diagram).append("\n");
      if (!converter.Add(paragraph, sink))
        return {false, converter.Message(), converter.Reason(), 0};
    }
  }
  if (reader.Failed()) return {false, reader.Message(), reader.Reason(), 0};
  converter.Finish(sink);
  return {};
}

}  // namespace

TConvertResult ConvertGameText(std::string_view pgn, const TConvertJob& job,
                               const TDiagramPolicy& diagrams, TRecordSink& sink) {
  return ConvertInto(pgn, job, diagrams, sink, nullptr);
}

TGameTextRtf ConvertGameText(std::string_view pgn, const TConvertJob& job,
                             const TDiagramPolicy& diagrams, const TBoardPng& pictures) {
  TGameTextRtf result;
  static_cast<TRtfResult&>(result) = WriteRtf(job, pictures, [&](TRecordSink& writer) {
    return ConvertInto(pgn, job, diagrams, writer, &result.Diagrams);
  });
  if (!result.Ok) result.Diagrams.clear();
  return result;
}

}  // namespace bq
