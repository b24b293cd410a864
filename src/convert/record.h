#pragma once
// One record of the document, built once from its line by the converter
// and taken by every writer: RTF, PDF, the pictures and the window's picture
// commands. The texts above stay ranges of the position's operations and
// the board stays the position until a writer asks for them in its form.
#include <functional>
#include <string>
#include <vector>

#include "chess/position.h"
#include "convert/diagram.h"
#include "convert/job.h"
#include "convert/marks.h"
#include "games/gametext.h"

namespace bq {

struct TRecord {
  const TPosition* Position = nullptr;  // as read; valid until the next line
  long long Number = 0;                 // from 1, in document order
  long long Line = 0;                   // the EPD line it was read from
  bool FromBlack = false;               // the board is seen from Black
  int Column = 0;                       // its cell in a row of columns, from 0
  // The operations printed above the board, in the job's order: which item
  // of the job's AboveItems, and which operation of the position.
  struct TAbove {
    int Item = 0;
    int Operation = 0;
  };
  std::vector<TAbove> Above;
  std::string Caption;  // filled in, unescaped; empty for none
  TMarks Marks;         // with the Marks setting on
};

// Line k above the board as printed, unescaped: "bm: Qd1+".
std::string AboveLine(const TConvertJob& job, const TRecord& rec, std::size_t k);
// The board's glyph rows, frame, coordinates and mark included.
TBoardRows BoardRowsOf(const TConvertJob& job, const TRecord& rec);

// Replaces `png` with the PNG file of the record's board (frame,
// coordinates and mark; the caption stays text): the picture diagram of an
// RTF document. The picture writer of src/render makes it; the RTF writer
// only frames it. It may throw, and the exception passes on.
using TBoardPng = std::function<void(const TRecord& rec, std::string& png)>;

// Where the records of a conversion go, one after the other; Finish gets
// the answer key (its heading first; none without the Solutions setting)
// and completes the output. Game text comes as paragraphs between the
// records of its diagrams; a sink without text (a folder of pictures)
// passes them over.
class TRecordSink {
 public:
  virtual ~TRecordSink() = default;
  virtual void Add(const TRecord& rec) = 0;
  virtual void AddParagraph(const TGameParagraph&) {}
  virtual void Finish(const std::vector<std::string>& key) = 0;
};

}  // namespace bq
