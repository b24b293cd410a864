#include "chess/setup.h"

#include <algorithm>
#include <optional>

#include "chess/fen.h"
#include "chess/parser.h"
#include "chess/validation.h"
#include "support/ascii.h"
#include "support/bytes.h"

namespace bq {

namespace {

// A counter's operand: digits only, within lo..kMaxCounter.
std::optional<int> CounterValue(std::string_view word, int lo) {
  if (word.empty() || word.size() > 4) return std::nullopt;
  int value = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < lo || value > kMaxCounter) return std::nullopt;
  return value;
}

// What follows a FEN's four fields: the halfmove clock and the move number.
bool ReadFENCounters(std::string_view text, TSetup& setup) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return false;
  const auto half = CounterValue(text.substr(0, blank), 0);
  const auto move = CounterValue(TrimLowBytes(text.substr(blank)), 1);
  if (!half || !move) return false;
  setup.HalfMoveClock = *half;
  setup.MoveNumber = *move;
  return true;
}

std::string OperationsWithCounters(std::string_view operations, int halfMoves, int moveNumber) {
  std::string out(TrimLowBytes(operations));
  std::string counters;
  if (halfMoves != 0) counters = "hmvc " + std::to_string(halfMoves) + ";";
  if (moveNumber != 1)
    counters += (counters.empty() ? "fmvn " : " fmvn ") + std::to_string(moveNumber) + ";";
  if (counters.empty()) return out;
  // An operation left open would take the counters as its operands.
  if (!out.empty()) out += out.back() == ';' ? " " : "; ";
  return out + counters;
}

}  // namespace

TSetup EmptySetup() {
  TSetup setup;
  ClearBoard(setup.Core);
  setup.Core.SideToMove = cWhite;
  setup.Core.CastlingRights.fill(false);
  setup.Core.EnPassantFile = 0;
  return setup;
}

bool ReadSetup(std::string_view line, TSetup& setup, std::string* reason) {
  TPosition rec;
  InitPosition(rec);
  if (!ReadEPDLineAsWritten(rec, TrimLowBytes(line), reason)) return false;
  TSetup read;
  read.Core = rec.Core;
  DropUnbackedRights(read.Core);
  const std::string_view operations = TrimLowBytes(rec.Operations.Text);
  if (ReadFENCounters(operations, read)) {
    read.KeptText = OperationsWithCounters("", read.HalfMoveClock, read.MoveNumber);
  } else {
    read.Operations = operations;
    TakeCounters(read, false);
    read.KeptText = operations;
  }
  read.KeptOperations = read.Operations;
  read.KeptHalfMoveClock = read.HalfMoveClock;
  read.KeptMoveNumber = read.MoveNumber;
  setup = std::move(read);
  return true;
}

std::string SetupLine(const TSetup& setup) {
  const bool kept = setup.Operations == setup.KeptOperations &&
                    setup.HalfMoveClock == setup.KeptHalfMoveClock &&
                    setup.MoveNumber == setup.KeptMoveNumber;
  const std::string operations =
      kept ? setup.KeptText
           : OperationsWithCounters(setup.Operations, setup.HalfMoveClock, setup.MoveNumber);
  std::string line = EPDFields(setup.Core);
  if (!operations.empty()) line += " " + operations;
  return line;
}

bool TakeCounters(TSetup& setup, bool endedOnly) {
  std::string& text = setup.Operations;
  TOperations ops;
  ReadEPDOperations(text, ops);
  // The reader skips the blanks before the first opcode.
  std::size_t lead = 0;
  while (lead < text.size() && IsEPDBlank(text[lead])) ++lead;
  struct TSpan {
    std::size_t At, End;
  };
  std::vector<TSpan> taken;
  for (std::size_t i = 0; i < ops.Opcodes.size(); ++i) {
    const std::size_t at = ops.Opcodes[i], end = OperandsEnd(ops, i);
    const auto word = [&](std::size_t w) {
      return std::string_view(ops.Text).substr(ops.Words[w].At, ops.Words[w].Size);
    };
    const bool half = SameAsciiText(word(at), "hmvc"), move = SameAsciiText(word(at), "fmvn");
    if ((!half && !move) || end != at + 2) continue;
    const std::size_t after = ops.Words[at + 1].At + ops.Words[at + 1].Size;
    if (endedOnly && (after >= ops.Text.size() || ops.Text[after] != ';')) continue;
    const auto value = CounterValue(word(at + 1), half ? 0 : 1);
    if (!value) continue;
    (half ? setup.HalfMoveClock : setup.MoveNumber) = *value;
    const std::size_t spanEnd =
        i + 1 < ops.Opcodes.size() ? ops.Words[ops.Opcodes[i + 1]].At : ops.Text.size();
    taken.push_back({lead + ops.Words[at].At, lead + spanEnd});
  }
  for (auto it = taken.rbegin(); it != taken.rend(); ++it) text.erase(it->At, it->End - it->At);
  return !taken.empty();
}

std::vector<int> EnPassantFiles(const TPositionCore& core) {
  if (core.SideToMove != cWhite && core.SideToMove != cBlack) return {};
  // The side not to move made the double step: from its second rank over
  // its third to its fourth.
  const std::uint8_t stepper = OppositeColour(core.SideToMove);
  const int dir = stepper == cWhite ? 1 : -1, home = HomeRank(stepper) + dir;
  std::vector<int> files;
  for (int file = 1; file <= 8; ++file) {
    const auto cell = [&](int rank) { return core.Board[CellOf(file, rank)]; };
    if (cell(home + 2 * dir) == TCell{stepper, pPawn} && cell(home + dir).Piece == pNone &&
        cell(home).Piece == pNone)
      files.push_back(file);
  }
  return files;
}

void DropUnbackedRights(TPositionCore& core) {
  for (std::size_t right = 0; right < 4; ++right)
    if (!CastlingBacked(core, static_cast<std::uint8_t>(right / 2), static_cast<int>(right % 2)))
      core.CastlingRights[right] = false;
  const std::vector<int> files = EnPassantFiles(core);
  if (std::find(files.begin(), files.end(), core.EnPassantFile) == files.end())
    core.EnPassantFile = 0;
}

}  // namespace bq
