#pragma once
// One picture per record: the board (frame, coordinates, mark) and its
// caption, as SVG (every glyph an outline) or PNG.
#include <string>
#include <vector>

#include "convert/job.h"
#include "convert/record.h"
#include "render/boardpainter.h"
#include "render/cairoptr.h"
#include "render/diagramfont.h"
#include "render/pngencode.h"
#include "render/svgoutlines.h"
#include "render/textbox.h"

namespace bq {

enum class TPictureFormat { Svg, Png };

class TPictureWriter {
 public:
  // The job's square size and background; throws TRenderError when the
  // diagram font is not installed. `job` must outlive the writer.
  TPictureWriter(const TConvertJob& job, TPictureFormat format);
  TPictureWriter(const TPictureWriter&) = delete;
  TPictureWriter& operator=(const TPictureWriter&) = delete;

  // Replaces `bytes` with the file of `rec`'s picture.
  void Write(const TRecord& rec, std::string& bytes);
  // Replaces `bytes` with the PNG of `rec`'s board without its caption,
  // whatever the writer's format: a picture diagram of an RTF document.
  void WriteBoardPng(const TRecord& rec, std::string& bytes);

 private:
  void Write(const TRecord& rec, std::string_view caption, TPictureFormat format,
             std::string& bytes);
  void WriteSvg(const TBoardRows& board, const TMarks& marks, int width, int height,
                std::string& bytes);
  void WritePng(const TBoardRows& board, const TMarks& marks, int width, int height,
                std::string& bytes);
  // Draws the board, its marks and the caption on `cr`.
  void Draw(cairo_t* cr, const TBoardRows& board, const TMarks& marks);

  const TConvertJob& job_;
  TPictureFormat format_;
  TDiagramFont font_;
  TTextContext text_;
  TBoardPainter board_;
  TTextBox caption_;
  // SVG: glyph outlines, and the glyphs a picture uses.
  TSvgOutlines outlines_;
  std::vector<unsigned long> used_;
  // PNG: the canvas memory, kept from picture to picture.
  std::vector<unsigned char> pixels_;
  std::vector<std::uint32_t> colour_;  // in colour, for a record with marks
  TInkPngEncoder png_;
};

// The boards of a job of picture diagrams in RTF, drawn by one picture
// writer kept for the run. Throws TRenderError when the diagram font is not
// installed; `job` must outlive the function.
TBoardPng MakeBoardPng(const TConvertJob& job);

}  // namespace bq
