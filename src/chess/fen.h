#pragma once
// The position's fields as FEN writes them, for captions and for EPD
// records made from games.
#include <string>

#include "chess/position.h"

namespace bq {

// Placement, side to move, castling and en-passant square: the four fields
// of an EPD line. An en-passant file outside a..h is written as "-".
std::string EPDFields(const TPositionCore& core);

}  // namespace bq
