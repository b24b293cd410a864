// One EPD line, any bytes: either a record whose operations are consistent,
// or a reason and the record exactly as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chess/parser.h"
#include "chess/position.h"
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

  std::string reason;
  const bool ok = ReadEPDLine(rec, line, &reason);
  if (!ok) {
    Check(!reason.empty(), "a refused line has a reason");
    Check(
        rec.Core == before.Core && rec.Opcodes == before.Opcodes && rec.Operands == before.Operands,
        "a refused line leaves the record as it was");
  } else {
    Check(rec.Opcodes.size() == rec.Operands.size(), "one operand list per operation");
    Check(!rec.EditOpen, "no edit stays open");
    for (int n = 1; n <= OperationCount(rec); ++n) {
      Check(FindOperation(rec, rec.Opcodes[static_cast<std::size_t>(n - 1)]) >= 1,
            "every operation can be found");
      (void)OperandText(rec, n);
    }
  }

  // The checked variant agrees on whether the line reads.
  TPosition again;
  InitPosition(again);
  std::string reason2, illegality;
  Check(ReadEPDLineChecked(again, line, &reason2, &illegality) == ok,
        "checked and plain readers agree");
  if (ok) Check(again.Core == rec.Core && again.Opcodes == rec.Opcodes, "same record twice");
  return 0;
}
