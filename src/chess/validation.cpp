#include "chess/validation.h"

#include <algorithm>
#include <bit>

#include "support/errors.h"

namespace bq {

namespace {

struct TStep {
  int Rank;
  int File;
};

// Index = direction number; entry 0 is unused.
constexpr std::array<TStep, kDirectionCount + 1> kSteps = {{{0, 0},
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

bool IsKnightJump(int d) {
  return d % 2 == 0;
}
bool OnBoard(int file, int rank) {
  return file >= 1 && file <= 8 && rank >= 1 && rank <= 8;
}

const TCell& CellAt(const TPositionCore& core, int file, int rank) {
  return core.Board[static_cast<std::size_t>((file - 1) * 8 + (rank - 1))];
}

// For every cell and direction, the cells a scan passes in order (at most
// seven, one for a knight jump), -1 after the last: the attack test walks
// these instead of stepping and bounds-checking squares.
struct TRays {
  std::array<std::array<std::array<std::int8_t, 8>, kDirectionCount + 1>, 64> Cells{};
};

constexpr TRays MakeRays() {
  TRays rays;
  for (int i = 0; i < 64; ++i) {
    for (int d = 1; d <= kDirectionCount; ++d) {
      auto& ray = rays.Cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(d)];
      for (auto& cell : ray) cell = -1;
      int f = i / 8 + 1, r = i % 8 + 1;
      for (std::size_t k = 0; k < 7; ++k) {
        f += kSteps[static_cast<std::size_t>(d)].File;
        r += kSteps[static_cast<std::size_t>(d)].Rank;
        if (f < 1 || f > 8 || r < 1 || r > 8) break;
        ray[k] = static_cast<std::int8_t>((f - 1) * 8 + (r - 1));
        if (d % 2 == 0) break;
      }
    }
  }
  return rays;
}

constexpr TRays kRays = MakeRays();

const char* ColourName(std::uint8_t c) {
  return c == cWhite ? "White" : "Black";
}

const char* PieceName(std::uint8_t piece) {
  static constexpr const char* kNames[] = {"piece", "pawn",  "knight", "bishop",
                                           "rook",  "queen", "king"};
  return piece <= pKing ? kNames[piece] : "piece";
}

std::string SquareName(int file, int rank) {
  return {static_cast<char>('a' + file - 1), static_cast<char>('0' + rank)};
}

std::string Counted(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Fills counts and the cell of each side's (last found) king; false, with
// the reason, for a cell that holds no valid piece.
bool CountPieces(const TPositionCore& core, TPieceCounts& counts, std::array<int, 2>& kings,
                 std::string* why, TPieceCells* cells = nullptr) {
  for (auto& side : counts) side.fill(0);
  if (cells != nullptr)
    for (auto& side : *cells) side.fill(0);
  for (int i = 0; i < 64; ++i) {
    const TCell cell = core.Board[static_cast<std::size_t>(i)];
    if (cell.Piece == pNone) continue;
    if (cell.Piece > pKing || cell.Colour > cBlack) {
      if (why)
        *why = "square " + SquareName(i / 8 + 1, i % 8 + 1) + " holds no valid piece (colour " +
               std::to_string(cell.Colour) + ", piece " + std::to_string(cell.Piece) + ")";
      return false;
    }
    ++counts[cell.Colour][cell.Piece];
    if (cells != nullptr) (*cells)[cell.Colour][cell.Piece] |= std::uint64_t{1} << i;
    if (cell.Piece == pKing) kings[cell.Colour] = i;
  }
  return true;
}

bool CheckSideWhy(std::uint8_t colour, const TPieceCounts& counts, const TPositionCore& core,
                  std::string* why) {
  if (colour > cBlack) {
    if (why) *why = "no such side";
    return false;
  }
  const auto& n = counts[colour];
  const int p = n[pPawn], kn = n[pKnight], b = n[pBishop], r = n[pRook], q = n[pQueen],
            k = n[pKing];
  const int promoted =
      std::max(0, q - 1) + std::max(0, r - 2) + std::max(0, b - 2) + std::max(0, kn - 2);
  const char* side = ColourName(colour);
  if (k != 1) {
    if (why) *why = side + (k == 0 ? std::string(" has no king") : " has " + Counted(k, "king"));
    return false;
  }
  if (promoted + p > 8) {
    if (why) {
      if (p > 8)
        *why = side + (" has " + Counted(p, "pawn"));
      else
        *why = side + (" has too many promoted pieces (" + Counted(p, "pawn") + " and " +
                       Counted(promoted, "promoted piece") + ", at most 8 together)");
    }
    return false;
  }
  if (kn + b + r + q + p > 15) {
    if (why) *why = side + (" has " + Counted(kn + b + r + q + p, "piece") + " besides the king");
    return false;
  }
  const int home = HomeRank(colour);
  for (int wing = 0; wing <= 1; ++wing) {  // queen side first
    if (!core.CastlingRights[static_cast<std::size_t>(colour * 2 + wing)]) continue;
    const int rookFile = wing == 0 ? 1 : 8;
    const char* wingName = wing == 0 ? " queen side" : " king side";
    if (CellAt(core, 5, home) != TCell{colour, pKing}) {
      if (why)
        *why = side +
               (" may castle" + (wingName + (" but its king is not on " + SquareName(5, home))));
      return false;
    }
    if (CellAt(core, rookFile, home) != TCell{colour, pRook}) {
      if (why)
        *why = side +
               (" may castle" + (wingName + (" but has no rook on " + SquareName(rookFile, home))));
      return false;
    }
  }
  return true;
}

bool MaterialWhy(const TPositionCore& core, std::array<int, 2>& kings, std::string* why) {
  TPieceCounts counts;
  return CountPieces(core, counts, kings, why) && CheckSideWhy(cWhite, counts, core, why) &&
         CheckSideWhy(cBlack, counts, core, why);
}

// Which pieces of the attacking colour hit along a direction: bit p for
// piece code p, one set for the first step and one for farther.
struct TAttackMasks {
  std::array<std::array<std::uint8_t, kDirectionCount + 1>, 2> Near{}, Far{};
};

constexpr TAttackMasks MakeAttackMasks() {
  TAttackMasks m;
  for (int a = 0; a <= 1; ++a) {
    for (int d = 1; d <= kDirectionCount; ++d) {
      std::uint8_t far = 0;
      if (d % 2 == 0) {
        far = 1 << pKnight;
      } else {
        far = 1 << pQueen;
        far |= (d == 1 || d == 5 || d == 9 || d == 13) ? 1 << pRook : 1 << pBishop;
      }
      std::uint8_t near = far;
      if (d % 2 != 0) near |= 1 << pKing;
      // Seen from the king: a Black pawn attacks a White king from one step
      // diagonally towards rank 8, a White pawn a Black king from below.
      if ((a == cBlack && (d == 3 || d == 15)) || (a == cWhite && (d == 7 || d == 11)))
        near |= 1 << pPawn;
      m.Near[static_cast<std::size_t>(a)][static_cast<std::size_t>(d)] = near;
      m.Far[static_cast<std::size_t>(a)][static_cast<std::size_t>(d)] = far;
    }
  }
  return m;
}

constexpr TAttackMasks kAttackMasks = MakeAttackMasks();

// AttackFromDirection for a valid cell and direction: the first piece met
// must be the attacker's and one that strikes that way from that distance.
bool Attacks(const TPositionCore& core, int cell, std::uint8_t attacker, int d) {
  const auto& ray = kRays.Cells[static_cast<std::size_t>(cell)][static_cast<std::size_t>(d)];
  for (std::size_t k = 0; k < ray.size() && ray[k] >= 0; ++k) {
    const TCell found = core.Board[static_cast<std::size_t>(ray[k])];
    if (found.Piece == pNone) continue;
    if (found.Colour != attacker || attacker > cBlack || found.Piece > pKing) return false;
    const auto& masks = k == 0 ? kAttackMasks.Near : kAttackMasks.Far;
    return (masks[attacker][static_cast<std::size_t>(d)] >> found.Piece) & 1;
  }
  return false;
}

// CheckSideWhy without the words, for the run of every line.
bool SideMayStand(std::uint8_t colour, const TPieceCounts& counts, const TPositionCore& core) {
  const auto& n = counts[colour];
  if (n[pKing] != 1) return false;
  const int p = n[pPawn], kn = n[pKnight], b = n[pBishop], r = n[pRook], q = n[pQueen];
  if (q <= 1 && r <= 2 && b <= 2 && kn <= 2) {
    // Nothing promoted, and at most 7 pieces besides the pawns.
    if (p > 8) return false;
  } else {
    const int promoted =
        std::max(0, q - 1) + std::max(0, r - 2) + std::max(0, b - 2) + std::max(0, kn - 2);
    if (promoted + p > 8 || kn + b + r + q + p > 15) return false;
  }
  const bool queenSide = core.CastlingRights[static_cast<std::size_t>(colour * 2)];
  const bool kingSide = core.CastlingRights[static_cast<std::size_t>(colour * 2 + 1)];
  if (!queenSide && !kingSide) return true;
  const int home = HomeRank(colour);
  return CellAt(core, 5, home) == TCell{colour, pKing} &&
         (!queenSide || CellAt(core, 1, home) == TCell{colour, pRook}) &&
         (!kingSide || CellAt(core, 8, home) == TCell{colour, pRook});
}

// Per cell, as bits of cells: the knight jumps, the cells of each line
// direction, all straight and all diagonal lines, and where a White or a
// Black pawn would attack it from.
struct TCellBits {
  std::array<std::uint64_t, 64> Knight{}, Straight{}, Diagonal{};
  std::array<std::array<std::uint64_t, kDirectionCount + 1>, 64> Ray{};
  std::array<std::array<std::uint64_t, 64>, 2> PawnFrom{};
};

constexpr TCellBits MakeCellBits() {
  TCellBits bits;
  for (std::size_t i = 0; i < 64; ++i) {
    for (std::size_t d = 1; d <= kDirectionCount; ++d) {
      std::uint64_t ray = 0;
      for (const std::int8_t c : kRays.Cells[i][d])
        if (c >= 0) ray |= std::uint64_t{1} << c;
      bits.Ray[i][d] = ray;
      if (d % 2 == 0)
        bits.Knight[i] |= ray;
      else if (d % 4 == 1)
        bits.Straight[i] |= ray;
      else
        bits.Diagonal[i] |= ray;
    }
    // A Black pawn attacks from one rank above, a White pawn from below.
    const int f = static_cast<int>(i / 8), r = static_cast<int>(i % 8);
    for (const int colour : {cWhite, cBlack}) {
      const int from = colour == cBlack ? r + 1 : r - 1;
      if (from < 0 || from > 7) continue;
      for (const int df : {-1, 1})
        if (f + df >= 0 && f + df <= 7)
          bits.PawnFrom[static_cast<std::size_t>(colour)][i] |= std::uint64_t{1}
                                                                << ((f + df) * 8 + from);
    }
  }
  return bits;
}

constexpr TCellBits kCellBits = MakeCellBits();

// Whether the first piece on the ray is `a` or `b`.
bool RayEndsIn(const std::array<std::int8_t, 8>& ray, const TPositionCore& core, TCell a, TCell b) {
  for (const std::int8_t i : ray) {
    if (i < 0) return false;
    const TCell found = core.Board[static_cast<std::size_t>(i)];
    if (found.Piece != pNone) return found == a || found == b;
  }
  return false;
}

// IsKingAttacked for a board whose pieces were located: the same answer,
// found without the tracker and only along the lines that hold a piece of
// the attacker that could use them.
bool AttackedCounted(const TPositionCore& core, int kingCell, std::uint8_t attacker,
                     const TPieceCells& cells, int attackerKing) {
  const auto& a = cells[attacker];
  const auto k = static_cast<std::size_t>(kingCell);
  // Cells are 0..63: unsigned arithmetic spares the signed division.
  const int kf = static_cast<int>(static_cast<unsigned>(kingCell) >> 3);
  const int kr = static_cast<int>(static_cast<unsigned>(kingCell) & 7);
  // The attacker's one king, next to this one.
  const int df = static_cast<int>(static_cast<unsigned>(attackerKing) >> 3) - kf;
  const int dr = static_cast<int>(static_cast<unsigned>(attackerKing) & 7) - kr;
  if (df >= -1 && df <= 1 && dr >= -1 && dr <= 1) return true;
  if ((a[pPawn] & kCellBits.PawnFrom[attacker][k]) != 0) return true;
  if ((a[pKnight] & kCellBits.Knight[k]) != 0) return true;
  const auto& rays = kRays.Cells[k];
  const TCell queen{attacker, pQueen};
  if (const std::uint64_t straight = a[pRook] | a[pQueen];
      (straight & kCellBits.Straight[k]) != 0) {
    const TCell rook{attacker, pRook};
    for (const std::size_t d : {1, 5, 9, 13})
      if ((straight & kCellBits.Ray[k][d]) != 0 && RayEndsIn(rays[d], core, rook, queen))
        return true;
  }
  if (const std::uint64_t diagonal = a[pBishop] | a[pQueen];
      (diagonal & kCellBits.Diagonal[k]) != 0) {
    const TCell bishop{attacker, pBishop};
    for (const std::size_t d : {3, 7, 11, 15})
      if ((diagonal & kCellBits.Ray[k][d]) != 0 && RayEndsIn(rays[d], core, bishop, queen))
        return true;
  }
  return false;
}

// The rest of IsLegalPosition once the pieces are counted and located.
bool LegalAfterCount(TPosition& rec, const TPieceCounts& counts, const TPieceCells& cells) {
  if (!SideMayStand(cWhite, counts, rec.Core) || !SideMayStand(cBlack, counts, rec.Core))
    return false;
  const std::uint8_t mover = rec.Core.SideToMove;
  if (mover > cBlack) return false;
  // Each side has one king: the cells give it.
  const std::array<int, 2> kings = {std::countr_zero(cells[cWhite][pKing]) & 63,
                                    std::countr_zero(cells[cBlack][pKing]) & 63};
  const std::uint8_t victim = OppositeColour(mover);
  const auto holds = [&](int cell, std::uint8_t colour) {
    return rec.Core.Board[static_cast<std::size_t>(cell)] == TCell{colour, pKing};
  };
  // With both kings where the cells say the short test is exact; otherwise,
  // or when it finds an attack (the tracker then notes the direction), the
  // tracker's own test answers.
  if (holds(kings[victim], victim) && holds(kings[mover], mover) &&
      !AttackedCounted(rec.Core, kings[victim], mover, cells, kings[mover]))
    return true;
  // The kings' cells are the tracker's hint (always verified).
  for (std::size_t c = 0; c <= 1; ++c) {
    const auto cell = static_cast<unsigned>(kings[c]);
    rec.Kings.KingFile[c] = static_cast<std::uint8_t>((cell >> 3) + 1);
    rec.Kings.KingRank[c] = static_cast<std::uint8_t>((cell & 7) + 1);
  }
  return !IsKingAttacked(rec.Kings, victim);
}

}  // namespace

bool IsLegalPosition(TPosition& rec) {
  rec.Kings.Position = &rec;
  TPieceCounts counts;
  TPieceCells cells;
  std::array<int, 2> kings{};
  return CountPieces(rec.Core, counts, kings, nullptr, &cells) &&
         LegalAfterCount(rec, counts, cells);
}

bool IsLegalPositionCounted(TPosition& rec, const TPieceCounts& counts, const TPieceCells& cells) {
  rec.Kings.Position = &rec;
  return LegalAfterCount(rec, counts, cells);
}

bool CheckMaterial(const TPositionCore& core) {
  std::array<int, 2> kings{};
  return MaterialWhy(core, kings, nullptr);
}

bool CheckSide(std::uint8_t colour, const TPieceCounts& counts, const TPositionCore& core) {
  return CheckSideWhy(colour, counts, core, nullptr);
}

bool IsKingAttacked(TKingTracker& kings, std::uint8_t colour) {
  if (kings.Position == nullptr) return false;
  const TPositionCore& core = kings.Position->Core;
  int file = 0, rank = 0;
  if (!FindKing(kings, colour, file, rank)) return false;
  const std::uint8_t attacker = OppositeColour(colour);
  const int last = kings.LastAttackDirection;
  const int cell = (file - 1) * 8 + (rank - 1);
  if (last >= 1 && last <= kDirectionCount && Attacks(core, cell, attacker, last)) return true;
  for (int d = 1; d <= kDirectionCount; ++d) {
    if (Attacks(core, cell, attacker, d)) {
      kings.LastAttackDirection = d;
      return true;
    }
  }
  return false;
}

bool FindKing(TKingTracker& kings, std::uint8_t colour, int& file, int& rank) {
  if (kings.Position == nullptr || colour > cBlack) return false;
  const TPositionCore& core = kings.Position->Core;
  const int cf = kings.KingFile[colour], cr = kings.KingRank[colour];
  if (OnBoard(cf, cr) && CellAt(core, cf, cr) == TCell{colour, pKing}) {
    file = cf;
    rank = cr;
    return true;
  }
  for (int r = 1; r <= 8; ++r) {
    for (int f = 1; f <= 8; ++f) {
      if (CellAt(core, f, r) == TCell{colour, pKing}) {
        kings.KingFile[colour] = static_cast<std::uint8_t>(f);
        kings.KingRank[colour] = static_cast<std::uint8_t>(r);
        file = f;
        rank = r;
        return true;
      }
    }
  }
  return false;
}

bool AttackFromDirection(const TPositionCore& core, int file, int rank, std::uint8_t attacker,
                         int direction) {
  if (direction < 1 || direction > kDirectionCount) RaiseRangeError();
  return OnBoard(file, rank) && Attacks(core, (file - 1) * 8 + (rank - 1), attacker, direction);
}

bool ScanDirection(const TPositionCore& core, int& file, int& rank, int direction, int& steps) {
  steps = 0;
  for (;;) {
    if (StepSquare(file, rank, direction)) return false;
    ++steps;
    if (CellAt(core, file, rank).Piece != pNone) return true;
    if (IsKnightJump(direction)) return false;
  }
}

bool StepSquare(int& file, int& rank, int direction) {
  if (direction < 1 || direction > kDirectionCount) RaiseRangeError();
  // A square already off the board has nowhere to go (and cannot overflow).
  if (!OnBoard(file, rank)) return true;
  const TStep& step = kSteps[static_cast<std::size_t>(direction)];
  const int f = file + step.File, r = rank + step.Rank;
  if (!OnBoard(f, r)) return true;
  file = f;
  rank = r;
  return false;
}

std::string DescribeIllegality(const TPositionCore& core) {
  std::string why;
  std::array<int, 2> kings{};
  if (!MaterialWhy(core, kings, &why)) return why;
  if (core.SideToMove > cBlack)
    return "the side to move (" + std::to_string(core.SideToMove) + ") is neither White nor Black";
  TPosition probe;
  probe.Core = core;
  const std::uint8_t victim = OppositeColour(core.SideToMove);
  if (!IsKingAttacked(probe.Kings, victim)) return "";
  why = std::string(ColourName(core.SideToMove)) + " is to move and " + ColourName(victim) +
        "'s king is in check";
  int file = 0, rank = 0, steps = 0;
  if (FindKing(probe.Kings, victim, file, rank) &&
      ScanDirection(core, file, rank, probe.Kings.LastAttackDirection, steps))
    why += std::string(" (") + PieceName(CellAt(core, file, rank).Piece) + " on " +
           SquareName(file, rank) + ")";
  return why;
}

}  // namespace bq
