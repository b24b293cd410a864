#pragma once
// Which cells a piece attacks, on the board's bits. The one attack test of
// the legality check, and the base of move generation.
#include <array>
#include <cstdint>

#include "chess/position.h"

namespace bq {

// Directions 1..16 clockwise from the step towards rank 8, alternating
// line directions (odd) and knight jumps (even).
inline constexpr int kDirectionCount = 16;

struct TDirectionStep {
  int Rank;
  int File;
};
// Index = direction number; entry 0 is unused.
inline constexpr std::array<TDirectionStep, kDirectionCount + 1> kDirectionSteps = {{{0, 0},
                                                                                     {1, 0},
                                                                                     {2, 1},
                                                                                     {1, 1},
                                                                                     {1, 2},
                                                                                     {0, 1},
                                                                                     {-1, 2},
                                                                                     {-1, 1},
                                                                                     {-2, 1},
                                                                                     {-1, 0},
                                                                                     {-2, -1},
                                                                                     {-1, -1},
                                                                                     {-1, -2},
                                                                                     {0, -1},
                                                                                     {1, -2},
                                                                                     {1, -1},
                                                                                     {2, -1}}};

struct TAttackTables {
  std::array<TBitboard, 64> Knight{}, King{};
  // [colour][cell]: the cells a pawn of that colour on the cell attacks.
  std::array<std::array<TBitboard, 64>, 2> Pawn{};
  // [cell][direction]: the cells passed stepping from the cell (a knight
  // jump is one step).
  std::array<std::array<TBitboard, kDirectionCount + 1>, 64> Ray{};
  // [from][to]: the direction that leads from one cell to the other, 0 if none.
  std::array<std::array<std::uint8_t, 64>, 64> Direction{};
};
extern const TAttackTables kAttacks;

// The cells a rook or bishop on `cell` reaches over `occupied` (blockers
// included).
TBitboard RookAttacks(int cell, TBitboard occupied);
TBitboard BishopAttacks(int cell, TBitboard occupied);

// The pieces of `attacker` that attack `cell`, with `occupied` the cells
// that block lines.
TBitboard AttackersOf(const TPositionCore& core, int cell, std::uint8_t attacker,
                      TBitboard occupied);

inline int LowestCell(TBitboard bits) {
  return __builtin_ctzll(bits);
}

}  // namespace bq
