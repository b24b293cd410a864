#pragma once
// The document as PDF pages, written as they fill: records one under the
// other (or side by side in columns), never a record split across pages.
// Game text runs on in one or two page columns, its diagrams kept whole
// in a column.
#include <string_view>
#include <vector>

#include "convert/job.h"
#include "convert/record.h"
#include "games/gametext.h"
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
  // A paragraph of game text across the column, a variation's indented;
  // bold runs bold, figurines in the figurine font.
  void AddParagraph(const TGameParagraph& paragraph);
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

  // A part of a paragraph's text set otherwise: bold, or a figurine.
  struct TSpan {
    std::size_t Start = 0, End = 0;
    bool Bold = false, Figurine = false;
  };

  void DrawBoard(const TCell& cell, double x, double y);
  void FlushRow();
  void FlowRow();
  // Draws the text's lines from the column's left edge plus `indent`; the
  // last `keep` lines are left out.
  void FlowText(const TTextBox& text, double indent = 0, std::size_t keep = 0);
  void MakeRoom(double height);
  double Left() const;  // of the current column
  void AppendRuns(const TGameParagraph& paragraph);
  bool DrawSlice();
  // Lays out the first `size` bytes of the paragraph's text.
  void LayOutParagraph(std::size_t size);

  const TConvertJob& job_;
  int columns_ = 1;      // records side by side
  int textColumns_ = 1;  // page columns of game text
  int column_ = 0;       // the page column being filled
  double textColumnWidth_ = 0;
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
  // Game text: the paragraph so far that is not drawn yet (a long one is
  // drawn slice by slice as it comes), its spans.
  TTextBox paragraph_;
  std::string paraText_;
  std::vector<TSpan> spans_;
  double indent_ = 0;
  double pageWidth_ = 0, pageHeight_ = 0;
  double columnWidth_ = 0;  // fixed by the first record
  double y_ = 0;            // top of the next row
  bool pageUsed_ = false;
  bool finished_ = false;
  long long pages_ = 0;
};

}  // namespace bq
