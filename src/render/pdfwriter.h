#pragma once
// The document as PDF pages, written as they fill: records one under the
// other (or side by side in columns), never a record split across pages.
#include <string_view>
#include <vector>

#include "convert/job.h"
#include "convert/record.h"
#include "render/boardpainter.h"
#include "render/bytesink.h"
#include "render/cairoptr.h"
#include "render/diagramfont.h"
#include "render/textbox.h"

namespace bq {

class TPdfWriter {
 public:
  // Paper and layout from the job, which must outlive the writer; throws
  // TRenderError when the diagram font is not installed.
  TPdfWriter(const TConvertJob& job, TByteSink sink);
  ~TPdfWriter();
  TPdfWriter(const TPdfWriter&) = delete;
  TPdfWriter& operator=(const TPdfWriter&) = delete;

  void AddRecord(const TRecord& rec);
  // A paragraph in the text font across the text width, after the records
  // so far (the answer key at the end).
  void AddTextLine(std::string_view bytes);
  // Writes the last page and the file's end. Without it nothing is complete.
  void Finish();

  long long Pages() const { return pages_; }

 private:
  // A record waiting for the rest of its row.
  struct TCell {
    TCell(PangoContext* context, const TConvertSettings& settings);
    TTextBox Above, Caption;
    TBoardRows Board;
    TMarks Marks;
    double Height = 0;
  };

  void DrawBoard(const TCell& cell, double x, double y);
  void FlushRow();
  void FlowRow();
  void FlowText(const TTextBox& text);
  void MakeRoom(double height);

  const TConvertJob& job_;
  int columns_ = 1;
  TSinkBridge bridge_;
  TDiagramFont font_;
  TTextContext text_;
  TBoardPainter board_;
  TCairoSurface surface_;
  TCairo cr_;
  std::vector<TCell> cells_;
  std::size_t filled_ = 0;
  TTextBox line_;
  std::string utf8_;
  double pageWidth_ = 0, pageHeight_ = 0;
  double columnWidth_ = 0;  // fixed by the first record
  double y_ = 0;            // top of the next row
  bool pageUsed_ = false;
  bool finished_ = false;
  long long pages_ = 0;
};

}  // namespace bq
