#pragma once
// Whether a position read from EPD may stand: reachable material, one king
// per side, castling rights that fit the pieces, and the side not to move
// not in check. Pawns on the back ranks, the en-passant file and the move
// number are not examined.
#include <array>
#include <cstdint>
#include <string>

#include "chess/attacks.h"
#include "chess/position.h"

namespace bq {

// Counts[colour][piece code], colours 0..1, pieces 1..6 (index 0 unused).
using TPieceCounts = std::array<std::array<std::uint8_t, 7>, 2>;

// The one legality test: true when the position may stand; otherwise
// false and, when `why` is given, the first rule it breaks in words. A
// side to move other than White or Black, or a cell holding no valid
// piece, makes the position illegal.
bool CheckLegality(const TPositionCore& core, std::string* why = nullptr);

// CheckLegality of the record's core (the tracker is left alone: the
// board's bits find the kings).
bool IsLegalPosition(TPosition& rec);
// "" when the position may stand, otherwise the first rule it breaks.
std::string DescribeIllegality(const TPositionCore& core);
// Counts the pieces and checks both sides.
bool CheckMaterial(const TPositionCore& core);
// One king, X + P <= 8 (X = promoted pieces), at most 15 pieces besides the
// king, and king and rook in place for each castling right.
bool CheckSide(std::uint8_t colour, const TPieceCounts& counts, const TPositionCore& core);

// Whether the king of `colour` is attacked; false when it has none. The
// tracker notes the king's square and the lowest direction of an attack.
bool IsKingAttacked(const TPositionCore& core, TKingTracker& kings, std::uint8_t colour);
// The square of the king of `colour` (the first in rank order), noted in
// the tracker.
bool FindKing(const TPositionCore& core, TKingTracker& kings, std::uint8_t colour, int& file,
              int& rank);
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

}  // namespace bq
