#pragma once
// Standard algebraic notation: reading a move as a game writes it, and
// writing a move as books print it.
#include <string>
#include <string_view>

#include "chess/position.h"
#include "games/movegen.h"

namespace bq {

// The piece letters of EPD and SAN by piece code (index 1..6): those of
// the english letter set.
std::string_view EnglishPieceLetters();

// Reads `text` as a legal move of the side to move: castling as O-O or
// 0-0, promotions with or without "=", any of the suffixes + # ! ?.
// A move that names more than it needs (Ngf3, Pe4) is accepted. False for
// a text that is no move, names no legal move or more than one; `why`
// (when given) then says so in words, e.g. "no black knight can reach f3".
bool ReadSAN(const TPositionCore& core, std::string_view text, TMove& move, std::string* why);

// Appends a legal move of the side to move in SAN, "+" or "#" included,
// with the piece letters of `letters` (indexed as TLetterSet::Letters).
void AppendSAN(std::string& out, const TPositionCore& core, TMove move,
               std::string_view letters = EnglishPieceLetters());

}  // namespace bq
