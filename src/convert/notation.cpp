#include "convert/notation.h"

#include <array>

#include "support/ascii.h"

namespace bq {

namespace {

constexpr std::array<TNotation, 5> kNotations = {TNotation::Figurine, TNotation::English,
                                                 TNotation::Dutch, TNotation::German,
                                                 TNotation::Custom};

}  // namespace

std::optional<TNotation> ParseNotation(std::string_view value, std::string* error) {
  for (const TNotation n : kNotations)
    if (SameAsciiText(value, NotationName(n))) return n;
  if (error)
    *error = "notation must be figurine, english, dutch, german or custom, not \"" +
             std::string(value) + "\"";
  return std::nullopt;
}

std::string_view NotationName(TNotation notation) {
  switch (notation) {
    case TNotation::English:
      return "english";
    case TNotation::Dutch:
      return "dutch";
    case TNotation::German:
      return "german";
    case TNotation::Custom:
      return "custom";
    default:
      return "figurine";
  }
}

const TLetterSet* NotationLetters(TNotation notation) {
  switch (notation) {
    case TNotation::English:
      return &EnglishLetterSet();
    case TNotation::Dutch:
      return &DutchLetterSet();
    case TNotation::German:
      return &GermanLetterSet();
    case TNotation::Custom:
      return &CustomLetterSet();
    default:
      return nullptr;
  }
}

}  // namespace bq
