#pragma once
// The RTF document of a conversion, record by record: the header before
// the first record, each record's texts and board, the table rows of
// columns, the answer key and the footer. Each record is written by
// pointer from texts made once for the job, into pending text that goes
// out in large pieces.
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
  TRtfWriter(const TConvertJob& job, TWrite write, TBoardPng pictures = {});

  void Add(const TRecord& rec) override;
  // Writes the rest: a short last row filled, the answer key, the footer
  // (nothing at all when no record came).
  void Finish(const std::vector<std::string>& key) override;

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
  char* PutPicture(char* p, const TRecord& rec);
  void Flush();

  const TConvertJob& job_;
  TWrite write_;
  TBoardPng pictures_;  // set for picture diagrams
  std::string png_;     // the last picture's PNG
  std::string fixed_;
  std::vector<TPiece> itemHeads_;  // "\par ", the item escaped, ": "
  TPiece header_, opsHead_, boardHead_, boardHeadAfterOps_, recordEnd_, captionHead_, captionEnd_,
      rowHead_, pictureHead_;
  std::size_t fixedRoom_ = 0;  // what a record needs besides its operands
  // The pending text, written by pointer: its first pending_ bytes; the
  // rest is room that nothing fills beforehand.
  std::string text_;
  std::size_t pending_ = 0;
  std::string escaped_;  // scratch for a text that needs escaping
  long long records_ = 0;
  int lastColumn_ = -1;  // of the last record in columns
};

}  // namespace bq
