#include "convert/record.h"

namespace bq {

std::string AboveLine(const TConvertJob& job, const TRecord& rec, std::size_t k) {
  const TRecord::TAbove above = rec.Above[k];
  return job.AboveItems[static_cast<std::size_t>(above.Item)] + ": " +
         OperandText(*rec.Position, above.Operation);
}

TBoardRows BoardRowsOf(const TConvertJob& job, const TRecord& rec) {
  return job.Diagram.Rows(rec.Position->Core, rec.FromBlack);
}

}  // namespace bq
