#pragma once
// Whether a position read from EPD may stand: reachable material, one king
// per side, castling rights that fit the pieces, and the side not to move
// not in check. Pawns on the back ranks, the en-passant file and the move
// number are not examined.
#include <array>
#include <cstdint>
#include <string>

#include "chess/position.h"

namespace bq {

// Counts[colour][piece code], colours 0..1, pieces 1..6 (index 0 unused).
using TPieceCounts = std::array<std::array<std::uint8_t, 7>, 2>;
// Where the pieces stand: [colour][piece code], bit i for cell i.
using TPieceCells = std::array<std::array<std::uint64_t, 7>, 2>;

// Directions 1..16 clockwise from the step towards rank 8, alternating
// line directions (odd) and knight jumps (even).
inline constexpr int kDirectionCount = 16;

// Binds the record's king tracker to it, then: material, then the side not
// to move must not be in check. A side to move other than White or Black,
// or a cell holding no valid piece, makes the position illegal.
bool IsLegalPosition(TPosition& rec);
// The same for a board whose pieces the caller counted and located as it
// placed them (every cell valid). Spares the board scan, and the attack
// test looks only where such pieces stand.
bool IsLegalPositionCounted(TPosition& rec, const TPieceCounts& counts, const TPieceCells& cells);
// Counts the pieces and checks both sides.
bool CheckMaterial(const TPositionCore& core);
// One king, X + P <= 8 (X = promoted pieces), at most 15 pieces besides the
// king, and king and rook in place for each castling right.
bool CheckSide(std::uint8_t colour, const TPieceCounts& counts, const TPositionCore& core);

// Whether the king of `colour` is attacked; false when it has none.
bool IsKingAttacked(TKingTracker& kings, std::uint8_t colour);
// The square of the king of `colour`; the tracker's cached square is tried
// first and updated when the board scan finds the king elsewhere.
bool FindKing(TKingTracker& kings, std::uint8_t colour, int& file, int& rank);
// Whether a piece of colour `attacker` attacks (file, rank) along direction d.
bool AttackFromDirection(const TPositionCore& core, int file, int rank, std::uint8_t attacker,
                         int direction);
// Steps from (file, rank) in `direction` until the board ends, a piece is
// reached, or after one knight jump. True when a piece was reached; the
// square is then that piece's square. `steps` counts the steps taken.
bool ScanDirection(const TPositionCore& core, int& file, int& rank, int direction, int& steps);
// Returns true (off the board, square unchanged) or moves the square one
// step and returns false. A direction outside 1..16 raises "Range check error".
bool StepSquare(int& file, int& rank, int direction);

// "" when IsLegalPosition would accept the position, otherwise the first
// rule it breaks, in words.
std::string DescribeIllegality(const TPositionCore& core);

}  // namespace bq
