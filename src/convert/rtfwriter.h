#pragma once
// The RTF document of a conversion, record by record: the header before
// the first record, each record's texts and board, the table rows of
// columns, the answer key and the footer; with game text, its paragraphs
// between the records of its diagrams. Each record is written by pointer
// from texts made once for the job, into pending text that goes out in
// large pieces.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/job.h"
#include "convert/record.h"

namespace bq {

class TRtfWriter : public TRecordSink {
 public:
  // `write` takes the document piece by piece; it may throw, and the
  // exception passes on.
  using TWrite = std::function<void(std::string_view)>;
  // A job of picture diagrams needs `pictures`, the PNG of each board;
  // without it the constructor throws std::runtime_error.
  // `replaceHead(size, head)`: the first `size` bytes written are to be
  // `head` instead, asked at the end when a record with coloured squares
  // came after the header went out (the colour table belongs in it).
  using TReplaceHead = std::function<void(std::size_t, std::string_view)>;
  TRtfWriter(const TConvertJob& job, TWrite write, TBoardPng pictures = {},
             TReplaceHead replaceHead = {});

  void Add(const TRecord& rec) override;
  // A paragraph of game text as a group: \pard, the indent, the text font,
  // then runs, bold ones in \b and figurines in font 3, up to \par.
  void AddParagraph(const TGameParagraph& paragraph) override;
  // Writes the rest: a short last row filled, the answer key, the footer
  // (nothing at all when no record came).
  void Finish(const std::vector<std::string>& key) override;

  // Whether a record had arrows or circles, which typed diagrams cannot show.
  bool DroppedArrows() const { return droppedArrows_; }

 private:
  // A fixed text of every record: a range of fixed_, which has kPad spare
  // bytes behind each, so that a short one is copied as one block.
  static constexpr std::size_t kPad = 32;
  struct TPiece {
    std::size_t At = 0, Size = 0;
  };
  TPiece Keep(std::string_view text);
  char* Put(char* p, TPiece piece, std::size_t from = 0) const;
  // p, moved with the pending text when that grows to hold `more` bytes
  // after p besides the room of the fixed parts.
  char* Room(char* p, std::size_t more);
  char* PutOperands(char* p, const TPosition& position, int n);
  char* PutRecordEnd(char* p, const TRecord& rec);
  // Rare, and kept out of the path of every record.
  [[gnu::cold, gnu::noinline]] char* PutMarkedBoard(char* p, const TRecord& rec);
  char* UseColourTable(char* p);
  // The header before the first part of the document, CR LF before the
  // others (but in a table).
  char* PutStart(char* p);
  void AppendRuns(const TGameParagraph& paragraph);
  char* PutPicture(char* p, const TRecord& rec);
  void Flush();

  const TConvertJob& job_;
  TWrite write_;
  TReplaceHead replaceHead_;
  std::string header_;
  std::string sectionHead_;     // after the header: game text's page columns
  bool colours_ = false;        // the header has the colour table
  bool headerWritten_ = false;  // the header has gone out
  bool droppedArrows_ = false;
  std::size_t headSize_ = 0;  // of the header that went out without the colour table
  TDiagramWriter::TShades shades_{};
  TBoardPng pictures_;  // set for picture diagrams
  std::string png_;     // the last picture's PNG
  std::string fixed_;
  std::vector<TPiece> itemHeads_;  // "\par ", the item escaped, ": "
  TPiece opsHead_, boardHead_, boardHeadAfterOps_, recordEnd_, captionHead_, captionEnd_, rowHead_,
      pictureHead_;
  std::size_t fixedRoom_ = 0;  // what a record needs besides its operands
  // The pending text, written by pointer: its first pending_ bytes; the
  // rest is room that nothing fills beforehand.
  std::string text_;
  std::size_t pending_ = 0;
  std::string escaped_;      // scratch for a text that needs escaping
  bool started_ = false;     // the header is written
  bool continuing_ = false;  // the last paragraph goes on in the next one
  bool figurines_ = false;   // pieces of game text in font 3
  std::string paraHead_;     // a paragraph's start, after "{\pard" and its indent
  int lastColumn_ = -1;      // of the last record in columns
};

}  // namespace bq
