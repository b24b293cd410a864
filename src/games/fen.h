#pragma once
// A position of a game, and its text: FEN in (a game's start position),
// the four EPD fields out.
#include <string>
#include <string_view>

#include "chess/position.h"

namespace bq {

// The core knows no halfmove clock; a game keeps it beside.
struct TGameState {
  TPositionCore Core;
  int HalfMoves = 0;
};

// Reads a FEN: the four EPD fields, then optionally the halfmove clock and
// the move number. The position must be one that moves can be played from:
// it passes the legality test, no pawn stands on the first or last rank,
// and an en-passant square fits the side to move (it is dropped when no
// capture there is legal). False with `why` in words otherwise.
bool ReadFEN(std::string_view fen, TGameState& state, std::string* why);

}  // namespace bq
