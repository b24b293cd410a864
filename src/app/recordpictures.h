#pragma once
// The desktop window's picture outputs, through the record sinks that
// `convert` writes with: Save As PDF, Export Pictures and Copy Diagram as
// Picture.
#ifdef BOARDQUILL_PICTURES
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/driver.h"
#include "convert/job.h"
#include "games/choice.h"

namespace bq {

// The PDF document of the EPD text; throws TRenderError.
std::string PdfDocument(std::string_view text, const TConvertJob& job);

// The PDF document of games printed as text (`job` from GameTextJob);
// throws TRenderError.
std::string GameTextPdfDocument(std::string_view pgn, const TConvertJob& job,
                                const TDiagramPolicy& diagrams);

// How many records the EPD text holds (lines with content).
long long CountRecords(std::string_view text);

// The pictures of the EPD text into the new or empty `folder`, which
// appears whole only when every picture is in it. `onRecord` is told each
// record's number before it is drawn and returns false to stop (the folder
// then never appears). False when stopped.
bool ExportPictureFolder(std::string_view text, const TConvertJob& job, const std::string& folder,
                         const std::function<bool(long long)>& onRecord);

// The picture of one record of the EPD text as PNG and SVG: the record
// read from line `line` (from 1), or with number `number` (from 1).
struct TRecordPicture {
  TConvertResult Result;  // a line before it that is not a record
  bool Found = false;
  std::string Png, Svg;
};
TRecordPicture PictureOfLine(std::string_view text, const TConvertJob& job, long long line);
TRecordPicture PictureOfRecord(std::string_view text, const TConvertJob& job, long long number);

}  // namespace bq
#endif
