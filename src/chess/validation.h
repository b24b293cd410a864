#pragma once
// Whether a position read from EPD may stand: reachable material, one king
// per side, castling rights that fit the pieces, and the side not to move
// not in check. Pawns on the back ranks, the en-passant file and the move
// number are not examined.
#include <string>

#include "chess/attacks.h"
#include "chess/position.h"

namespace bq {

// The one legality test: true when the position may stand; otherwise
// false and, when `why` is given, the first rule it breaks in words. A
// side to move other than White or Black, or a cell holding no valid
// piece, makes the position illegal.
bool CheckLegality(const TPositionCore& core, std::string* why = nullptr);

// Whether the castling right of colour (0..1) on wing (0 queen side, 1 king
// side) has its king and rook on their home squares.
bool CastlingBacked(const TPositionCore& core, std::uint8_t colour, int wing);

// CheckLegality of the record's core.
bool IsLegalPosition(TPosition& rec);

}  // namespace bq
