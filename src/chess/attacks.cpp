#include "chess/attacks.h"

#include <bit>

namespace bq {

namespace {

constexpr bool OnBoard(int file, int rank) {
  return file >= 0 && file < 8 && rank >= 0 && rank < 8;
}

constexpr TAttackTables MakeTables() {
  TAttackTables t;
  for (int cell = 0; cell < 64; ++cell) {
    const int f0 = cell / 8, r0 = cell % 8;
    for (int d = 1; d <= kDirectionCount; ++d) {
      const TDirectionStep step = kDirectionSteps[static_cast<std::size_t>(d)];
      TBitboard ray = 0;
      for (int f = f0 + step.File, r = r0 + step.Rank; OnBoard(f, r);
           f += step.File, r += step.Rank) {
        ray |= TBitboard{1} << (f * 8 + r);
        if (t.Direction[static_cast<std::size_t>(cell)][static_cast<std::size_t>(f * 8 + r)] == 0)
          t.Direction[static_cast<std::size_t>(cell)][static_cast<std::size_t>(f * 8 + r)] =
              static_cast<std::uint8_t>(d);
        if (d % 2 == 0) {
          t.Knight[static_cast<std::size_t>(cell)] |= ray;
          break;
        }
        if (f == f0 + step.File && r == r0 + step.Rank)
          t.King[static_cast<std::size_t>(cell)] |= ray;
      }
      t.Ray[static_cast<std::size_t>(cell)][static_cast<std::size_t>(d)] = ray;
    }
    for (int colour = 0; colour <= 1; ++colour) {
      const int r = colour == cWhite ? r0 + 1 : r0 - 1;
      for (const int f : {f0 - 1, f0 + 1})
        if (OnBoard(f, r))
          t.Pawn[static_cast<std::size_t>(colour)][static_cast<std::size_t>(cell)] |=
              TBitboard{1} << (f * 8 + r);
    }
  }
  return t;
}

}  // namespace

constexpr TAttackTables kAttacks = MakeTables();

namespace {

// A step towards a higher cell number makes the nearest blocker the lowest
// bit of the ray, one towards a lower number the highest.
constexpr bool RisesInCells(int d) {
  const TDirectionStep step = kDirectionSteps[static_cast<std::size_t>(d)];
  return step.File * 8 + step.Rank > 0;
}

TBitboard LineAttacks(int cell, TBitboard occupied, int d) {
  const auto& rays = kAttacks.Ray[static_cast<std::size_t>(cell)];
  const TBitboard ray = rays[static_cast<std::size_t>(d)];
  const TBitboard blockers = ray & occupied;
  if (blockers == 0) return ray;
  const int nearest =
      RisesInCells(d) ? std::countr_zero(blockers) : 63 - std::countl_zero(blockers);
  return ray & ~kAttacks.Ray[static_cast<std::size_t>(nearest)][static_cast<std::size_t>(d)];
}

}  // namespace

TBitboard RookAttacks(int cell, TBitboard occupied) {
  return LineAttacks(cell, occupied, 1) | LineAttacks(cell, occupied, 5) |
         LineAttacks(cell, occupied, 9) | LineAttacks(cell, occupied, 13);
}

TBitboard BishopAttacks(int cell, TBitboard occupied) {
  return LineAttacks(cell, occupied, 3) | LineAttacks(cell, occupied, 7) |
         LineAttacks(cell, occupied, 11) | LineAttacks(cell, occupied, 15);
}

TBitboard AttackersOf(const TPositionCore& core, int cell, std::uint8_t attacker,
                      TBitboard occupied) {
  const auto& a = core.Pieces[attacker];
  const auto c = static_cast<std::size_t>(cell);
  TBitboard found = (a[pKnight] & kAttacks.Knight[c]) | (a[pKing] & kAttacks.King[c]) |
                    (a[pPawn] & kAttacks.Pawn[static_cast<std::size_t>(attacker ^ 1)][c]);
  // Lines are looked along only where such a slider stands.
  const TBitboard straight = a[pRook] | a[pQueen], diagonal = a[pBishop] | a[pQueen];
  const auto& rays = kAttacks.Ray[c];
  if (straight & (rays[1] | rays[5] | rays[9] | rays[13]))
    found |= straight & RookAttacks(cell, occupied);
  if (diagonal & (rays[3] | rays[7] | rays[11] | rays[15]))
    found |= diagonal & BishopAttacks(cell, occupied);
  return found;
}

}  // namespace bq
