#pragma once
// Legal moves on the core's position (its board bits and cells), and the
// making of a move that keeps both in step. The position must be one that
// may stand (CheckLegality) with no pawn on the first or last rank.
#include <array>
#include <cstddef>
#include <cstdint>

#include "chess/position.h"

namespace bq {

enum class TMoveKind : std::uint8_t { Normal, DoublePush, EnPassant, Castle };

struct TMove {
  std::uint8_t From = 0, To = 0;   // cells; a castling king's cells
  std::uint8_t Promotion = pNone;  // piece code a pawn becomes
  TMoveKind Kind = TMoveKind::Normal;
  bool operator==(const TMove&) const = default;
};

// No position has more than 218 legal moves.
struct TMoveList {
  std::array<TMove, 256> Moves;
  std::size_t Size = 0;
  const TMove* begin() const { return Moves.data(); }
  const TMove* end() const { return Moves.data() + Size; }
};

constexpr int FileIndexOf(int cell) {
  return cell >> 3;  // 0..7 for a..h
}
constexpr int RankIndexOf(int cell) {
  return cell & 7;  // 0..7 for ranks 1..8
}

// Every legal move of the side to move.
void GenerateMoves(const TPositionCore& core, TMoveList& list);
// Plays a legal move. The en-passant file is set only when the reply can
// really take en passant, so equal positions have equal cores.
void MakeMove(TPositionCore& core, TMove move);
// Whether the side to move is in check.
bool InCheck(const TPositionCore& core);
// Clears an en-passant file under which no legal capture exists.
void SettleEnPassant(TPositionCore& core);
// Leaf positions `depth` moves deep.
std::uint64_t Perft(const TPositionCore& core, int depth);

}  // namespace bq
