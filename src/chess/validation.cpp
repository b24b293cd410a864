#include "chess/validation.h"

#include <algorithm>
#include <array>
#include <bit>

namespace bq {

namespace {

// Counts[colour][piece code], colours 0..1, pieces 1..6 (index 0 unused).
using TPieceCounts = std::array<std::array<std::uint8_t, 7>, 2>;

const char* ColourName(std::uint8_t c) {
  return c == cWhite ? "White" : "Black";
}

const char* PieceName(std::uint8_t piece) {
  static constexpr const char* kNames[] = {"piece", "pawn",  "knight", "bishop",
                                           "rook",  "queen", "king"};
  return piece <= pKing ? kNames[piece] : "piece";
}

std::string CellName(int cell) {
  return {static_cast<char>('a' + cell / 8), static_cast<char>('1' + cell % 8)};
}

std::string Counted(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Records the words of a failed rule; false for brevity.
bool Fails(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

// Bits set, by adding neighbouring fields: the machine may lack a
// population-count instruction.
constexpr int CountBits(TBitboard x) {
  x -= (x >> 1) & 0x5555555555555555ull;
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

TPieceCounts CountPieces(const TPositionCore& core) {
  TPieceCounts counts{};
  for (std::size_t c = 0; c <= 1; ++c)
    for (std::size_t p = pPawn; p <= pKing; ++p)
      counts[c][p] = static_cast<std::uint8_t>(CountBits(core.Pieces[c][p]));
  return counts;
}

constexpr bool AtMostOne(TBitboard bits) {
  return (bits & (bits - 1)) == 0;
}

// One king, at most one queen, two of each minor piece and rook, and eight
// pawns: such a side passes the material rules without counting.
bool UsualArmy(const std::array<TBitboard, 7>& a) {
  return a[pKing] != 0 && AtMostOne(a[pKing]) && AtMostOne(a[pQueen]) &&
         AtMostOne(a[pRook] & (a[pRook] - 1)) && AtMostOne(a[pBishop] & (a[pBishop] - 1)) &&
         AtMostOne(a[pKnight] & (a[pKnight] - 1)) && CountBits(a[pPawn]) <= 8;
}

bool MaterialStands(std::uint8_t colour, const TPieceCounts& n, std::string* why) {
  const int p = n[colour][pPawn], kn = n[colour][pKnight], b = n[colour][pBishop],
            r = n[colour][pRook], q = n[colour][pQueen], k = n[colour][pKing];
  const int promoted =
      std::max(0, q - 1) + std::max(0, r - 2) + std::max(0, b - 2) + std::max(0, kn - 2);
  const std::string side = ColourName(colour);
  if (k != 1) return Fails(why, side + (k == 0 ? " has no king" : " has " + Counted(k, "king")));
  if (promoted + p > 8) {
    if (p > 8) return Fails(why, side + " has " + Counted(p, "pawn"));
    return Fails(why, side + " has too many promoted pieces (" + Counted(p, "pawn") + " and " +
                          Counted(promoted, "promoted piece") + ", at most 8 together)");
  }
  if (kn + b + r + q + p > 15)
    return Fails(why, side + " has " + Counted(kn + b + r + q + p, "piece") + " besides the king");
  return true;
}

bool CastlingStands(std::uint8_t colour, const TPositionCore& core, std::string* why) {
  const int home = HomeRank(colour);
  for (int wing = 0; wing <= 1; ++wing) {  // queen side first
    if (!core.CastlingRights[static_cast<std::size_t>(colour * 2 + wing)]) continue;
    if (CastlingBacked(core, colour, wing)) continue;
    if (why == nullptr) return false;  // the words only when asked for
    const int rookFile = wing == 0 ? 1 : 8;
    const bool king = (core.Pieces[colour][pKing] & CellBit(CellOf(5, home))) != 0;
    const std::string may = std::string(ColourName(colour)) + " may castle" +
                            (wing == 0 ? " queen side" : " king side");
    return Fails(why, may + (king ? " but has no rook on " + CellName(CellOf(rookFile, home))
                                  : " but its king is not on " + CellName(CellOf(5, home))));
  }
  return true;
}

bool SideStands(std::uint8_t colour, const TPositionCore& core, std::string* why) {
  return MaterialStands(colour, CountPieces(core), why) && CastlingStands(colour, core, why);
}

// The usual position, which passes the material and castling rules without
// counting or words: valid cells, usual armies, and every castling right
// backed by its king and rook at home.
bool PlainlyStands(const TPositionCore& core) {
  if (core.Odd != 0 || !UsualArmy(core.Pieces[cWhite]) || !UsualArmy(core.Pieces[cBlack]))
    return false;
  for (std::size_t right = 0; right < 4; ++right) {
    const auto colour = static_cast<std::uint8_t>(right / 2);
    if (core.CastlingRights[right] && !CastlingBacked(core, colour, static_cast<int>(right % 2)))
      return false;
  }
  return true;
}

bool MaterialWhy(const TPositionCore& core, std::string* why) {
  if (why == nullptr && PlainlyStands(core)) return true;
  if (core.Odd != 0) {
    const int cell = LowestCell(core.Odd);
    const TCell odd = core.Board[static_cast<std::size_t>(cell)];
    return Fails(why, "square " + CellName(cell) + " holds no valid piece (colour " +
                          std::to_string(odd.Colour) + ", piece " + std::to_string(odd.Piece) +
                          ")");
  }
  return SideStands(cWhite, core, why) && SideStands(cBlack, core, why);
}

// The lowest direction, seen from `cell`, in which one of `attackers` stands.
int FirstDirection(int cell, TBitboard attackers) {
  int first = kDirectionCount + 1;
  for (; attackers != 0; attackers &= attackers - 1)
    first =
        std::min<int>(first, kAttacks.Direction[static_cast<std::size_t>(cell)]
                                               [static_cast<std::size_t>(LowestCell(attackers))]);
  return first;
}

}  // namespace

bool CastlingBacked(const TPositionCore& core, std::uint8_t colour, int wing) {
  const auto& a = core.Pieces[colour];
  const int home = HomeRank(colour);
  return (a[pKing] & CellBit(CellOf(5, home))) != 0 &&
         (a[pRook] & CellBit(CellOf(wing == 0 ? 1 : 8, home))) != 0;
}

bool CheckLegality(const TPositionCore& core, std::string* why) {
  if (!MaterialWhy(core, why)) return false;
  const std::uint8_t mover = core.SideToMove;
  if (mover > cBlack)
    return Fails(why,
                 "the side to move (" + std::to_string(mover) + ") is neither White nor Black");
  const std::uint8_t victim = OppositeColour(mover);
  const int king = LowestCell(core.Pieces[victim][pKing]);
  const TBitboard attackers = AttackersOf(core, king, mover, OccupiedBits(core));
  if (attackers == 0) return true;
  if (why == nullptr) return false;
  const int d = FirstDirection(king, attackers);
  const int from = LowestCell(
      attackers & kAttacks.Ray[static_cast<std::size_t>(king)][static_cast<std::size_t>(d)]);
  return Fails(why, std::string(ColourName(mover)) + " is to move and " + ColourName(victim) +
                        "'s king is in check (" +
                        PieceName(core.Board[static_cast<std::size_t>(from)].Piece) + " on " +
                        CellName(from) + ")");
}

bool IsLegalPosition(TPosition& rec) {
  return CheckLegality(rec.Core);
}

}  // namespace bq
