// One EPD line, any bytes: either a record whose operations are consistent,
// or a reason and the record exactly as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chess/parser.h"
#include "chess/position.h"
#include "chess/validation.h"
#include "fuzz_util.h"

using namespace bq;
using bq::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);

  // A record that already holds something, so that "left as it was" means
  // something on failure.
  TPosition rec;
  InitPosition(rec);
  AddOperand(rec, AddOperation(rec, "id"), "before");
  const TPosition before = rec;

  std::string reason, illegality;
  const bool ok = ReadEPDLine(rec, line, &reason, &illegality);
  if (!ok) {
    Check(!reason.empty(), "a refused line has a reason");
    Check(rec.Core == before.Core && rec.Operations == before.Operations,
          "a refused line leaves the record as it was");
    return 0;
  }
  const TOperations& ops = rec.Operations;
  Check(!rec.EditOpen, "no edit stays open");
  TPositionCore start;
  SetStartPosition(start);
  Check(illegality.empty() ? CheckLegality(rec.Core) : rec.Core == start,
        "a position stands, or is the start position with a reason");
  for (std::size_t i = 0; i < ops.Opcodes.size(); ++i)
    Check(ops.Opcodes[i] < ops.Words.size() && (i == 0 || ops.Opcodes[i] > ops.Opcodes[i - 1]),
          "every operation has its opcode, in order");
  for (const TOperations::TWord& word : ops.Words)
    Check(word.At + word.Size <= ops.Text.size(), "every word lies in the text");
  for (int n = 1; n <= OperationCount(rec); ++n) {
    Check(FindOperation(rec, Opcode(rec, n)) >= 1, "every operation can be found");
    (void)OperandText(rec, n);
  }

  // A copy of the record reads the same line to the same record.
  TPosition again = rec;
  Check(ReadEPDLine(again, line) && again.Core == rec.Core && again.Operations == rec.Operations,
        "the same line reads the same twice");
  return 0;
}
