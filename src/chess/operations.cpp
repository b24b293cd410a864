// EPD operations of a position record: opcodes with their operands.
#include <array>
#include <cstddef>

#include "chess/position.h"
#include "support/errors.h"

namespace bq {

namespace {

// The error names the zero-based list index that was out of range, as the
// list itself would.
std::size_t OperationIndex(const TOperations& ops, int n) {
  if (n < 1 || static_cast<std::size_t>(n) > ops.Opcodes.size())
    RaiseListIndexError(static_cast<long long>(n) - 1);
  return static_cast<std::size_t>(n - 1);
}

// The index in Words of operation i's first operand, and of the word after its last.
std::size_t FirstOperand(const TOperations& ops, std::size_t i) {
  return ops.Opcodes[i] + 1;
}
std::size_t OperandsEnd(const TOperations& ops, std::size_t i) {
  return i + 1 < ops.Opcodes.size() ? ops.Opcodes[i + 1] : ops.Words.size();
}

std::string_view WordText(const TOperations& ops, TOperations::TWord word) {
  return std::string_view(ops.Text).substr(word.At, word.Size);
}

// a..z in upper case, other bytes as they are.
constexpr auto kFolded = [] {
  std::array<char, 256> folded{};
  for (int b = 0; b < 256; ++b)
    folded[static_cast<std::size_t>(b)] =
        static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
  return folded;
}();

char FoldCase(char c) {
  return kFolded[static_cast<unsigned char>(c)];
}

}  // namespace

int AddOperation(TPosition& rec, std::string_view opcode) {
  TOperations& ops = rec.Operations;
  ops.Opcodes.push_back(ops.Words.size());
  ops.Words.push_back({ops.Text.size(), opcode.size()});
  ops.Text.append(opcode);
  return static_cast<int>(ops.Opcodes.size());
}

void AddOperand(TPosition& rec, int n, std::string_view operand) {
  TOperations& ops = rec.Operations;
  const std::size_t i = OperationIndex(ops, n);
  const std::size_t at = OperandsEnd(ops, i);
  ops.Words.insert(ops.Words.begin() + static_cast<std::ptrdiff_t>(at),
                   {ops.Text.size(), operand.size()});
  for (std::size_t k = i + 1; k < ops.Opcodes.size(); ++k) ++ops.Opcodes[k];
  ops.Text.append(operand);
}

int FindOperation(const TPosition& rec, std::string_view name) {
  const TOperations& ops = rec.Operations;
  const char* const text = ops.Text.data();
  const std::size_t size = name.size(), count = ops.Opcodes.size();
  for (std::size_t i = 0; i < count; ++i) {
    const TOperations::TWord& opcode = ops.Words[ops.Opcodes[i]];
    if (opcode.Size != size) continue;
    const char* const word = text + opcode.At;
    std::size_t k = 0;
    while (k < size && FoldCase(word[k]) == FoldCase(name[k])) ++k;
    if (k == size) return static_cast<int>(i + 1);
  }
  return 0;
}

bool HasOperation(const TPosition& rec, std::string_view name) {
  return FindOperation(rec, name) > 0;
}

int OperationCount(const TPosition& rec) {
  return static_cast<int>(rec.Operations.Opcodes.size());
}

std::string_view Opcode(const TPosition& rec, int n) {
  const TOperations& ops = rec.Operations;
  return WordText(ops, ops.Words[ops.Opcodes[OperationIndex(ops, n)]]);
}

int OperandCount(const TPosition& rec, int n) {
  const TOperations& ops = rec.Operations;
  const std::size_t i = OperationIndex(ops, n);
  return static_cast<int>(OperandsEnd(ops, i) - FirstOperand(ops, i));
}

std::string_view Operand(const TPosition& rec, int n, int m) {
  const TOperations& ops = rec.Operations;
  const std::size_t i = OperationIndex(ops, n);
  if (m < 1 || m > OperandCount(rec, n)) RaiseListIndexError(static_cast<long long>(m) - 1);
  return WordText(ops, ops.Words[FirstOperand(ops, i) + static_cast<std::size_t>(m - 1)]);
}

std::string OperandText(const TPosition& rec, int n) {
  const TOperations& ops = rec.Operations;
  const std::size_t i = OperationIndex(ops, n);
  std::string result;
  for (std::size_t w = FirstOperand(ops, i); w < OperandsEnd(ops, i); ++w) {
    if (!result.empty()) result += ' ';
    result += WordText(ops, ops.Words[w]);
  }
  return result;
}

void ClearOperations(TPosition& rec) {
  rec.Operations.Text.clear();
  rec.Operations.Words.clear();
  rec.Operations.Opcodes.clear();
}

}  // namespace bq
