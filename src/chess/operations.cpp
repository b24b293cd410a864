// EPD operations of a position record: opcodes with their operands.
#include <array>
#include <cstddef>

#include "chess/position.h"
#include "support/errors.h"

namespace bq {

namespace {

std::string_view WordText(const TOperations& ops, TOperations::TWord word) {
  return std::string_view(ops.Text.data() + word.At, word.Size);
}

// a..z in upper case, other bytes as they are: one table read a byte.
constexpr auto kFolded = [] {
  std::array<char, 256> folded{};
  for (int b = 0; b < 256; ++b) folded[b] = static_cast<char>(b >= 'a' && b <= 'z' ? b - 32 : b);
  return folded;
}();

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
  ops.Words.insert(ops.Words.begin() + static_cast<std::ptrdiff_t>(OperandsEnd(ops, i)),
                   {ops.Text.size(), operand.size()});
  for (std::size_t k = i + 1; k < ops.Opcodes.size(); ++k) ++ops.Opcodes[k];
  ops.Text.append(operand);
}

int FindOperation(const TPosition& rec, std::string_view name) {
  const TOperations& ops = rec.Operations;
  const std::size_t size = name.size(), count = ops.Opcodes.size();
  for (std::size_t i = 0; i < count; ++i) {
    const TOperations::TWord& opcode = ops.Words[ops.Opcodes[i]];
    if (opcode.Size != size) continue;
    const char* const word = ops.Text.data() + opcode.At;
    std::size_t k = 0;
    while (k < size && kFolded[static_cast<unsigned char>(word[k])] ==
                           kFolded[static_cast<unsigned char>(name[k])])
      ++k;
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
  return static_cast<int>(OperandWords(rec, n).size());
}

std::string_view Operand(const TPosition& rec, int n, int m) {
  const auto words = OperandWords(rec, n);
  if (m < 1 || static_cast<std::size_t>(m) > words.size())
    RaiseListIndexError(static_cast<long long>(m) - 1);
  return WordText(rec.Operations, words[static_cast<std::size_t>(m - 1)]);
}

std::string OperandText(const TPosition& rec, int n) {
  std::string result;
  for (const TOperations::TWord& word : OperandWords(rec, n)) {
    if (!result.empty()) result += ' ';
    result += WordText(rec.Operations, word);
  }
  return result;
}

void ClearOperations(TPosition& rec) {
  rec.Operations.Text.clear();
  rec.Operations.Words.clear();
  rec.Operations.Opcodes.clear();
}

}  // namespace bq
