// EPD operations of a position record: opcodes with their operand lists.
#include <cstddef>

#include "chess/position.h"
#include "support/errors.h"

namespace bq {

namespace {

// The error names the zero-based list index that was out of range, as the
// list itself would.
std::size_t OperationIndex(const TPosition& rec, int n) {
  if (n < 1 || static_cast<std::size_t>(n) > rec.Opcodes.size() ||
      rec.Operands.size() != rec.Opcodes.size())
    RaiseListIndexError(static_cast<long long>(n) - 1);
  return static_cast<std::size_t>(n - 1);
}

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

}  // namespace

int AddOperation(TPosition& rec, std::string_view opcode) {
  rec.Opcodes.emplace_back(opcode);
  rec.Operands.emplace_back();
  return static_cast<int>(rec.Opcodes.size());
}

void AddOperand(TPosition& rec, int n, std::string_view operand) {
  rec.Operands[OperationIndex(rec, n)].emplace_back(operand);
}

int FindOperation(const TPosition& rec, std::string_view name) {
  for (std::size_t i = 0; i < rec.Opcodes.size(); ++i)
    if (SameText(rec.Opcodes[i], name)) return static_cast<int>(i + 1);
  return 0;
}

bool HasOperation(const TPosition& rec, std::string_view name) {
  return FindOperation(rec, name) > 0;
}

int OperationCount(const TPosition& rec) {
  return static_cast<int>(rec.Opcodes.size());
}

int OperandCount(const TPosition& rec, int n) {
  return static_cast<int>(rec.Operands[OperationIndex(rec, n)].size());
}

const std::string& Operand(const TPosition& rec, int n, int m) {
  const auto& list = rec.Operands[OperationIndex(rec, n)];
  if (m < 1 || static_cast<std::size_t>(m) > list.size())
    RaiseListIndexError(static_cast<long long>(m) - 1);
  return list[static_cast<std::size_t>(m - 1)];
}

std::string OperandText(const TPosition& rec, int n) {
  std::string result;
  for (const std::string& operand : rec.Operands[OperationIndex(rec, n)]) {
    if (!result.empty()) result += ' ';
    result += operand;
  }
  return result;
}

}  // namespace bq
