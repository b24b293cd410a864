#pragma once
// How the moves of game text are written: figurines, or the piece letters
// of one of the letter sets.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chess/letters.h"

namespace bq {

enum class TNotation : std::uint8_t { Figurine, English, Dutch, German, Custom };

// "figurine", "english", "dutch", "german" or "custom", in any case;
// nullopt, with `error` (when given) saying why, for anything else.
std::optional<TNotation> ParseNotation(std::string_view value, std::string* error = nullptr);
std::string_view NotationName(TNotation notation);
// The letter set of the moves; null for figurines.
const TLetterSet* NotationLetters(TNotation notation);

}  // namespace bq
