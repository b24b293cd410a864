#pragma once
// Piece letter sets, one per language of the language manager: the letters
// and names of the six pieces and two colours. EPD placement letters are
// always looked up in the english set.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace bq {

struct TLetterSet {
  // 0 "_", 1..6 pawn..king (position = piece code), 7 White, 8 Black, 9 "_".
  std::array<char, 10> Letters{};
  // 0 "_", 1..6 piece names, 7..8 colour names, 9 "_", 10 versus word,
  // 11 "White to move", 12 "Black to move", 13 empty, 14 caption after a
  // move ("%s" = the move), 15 caption of the start position. Windows-1252.
  std::array<std::string, 16> Words;
};

inline constexpr int kMaxLetterLanguage = 100;  // highest identifier with a set
inline constexpr int kMaxLetterSets = 100;      // registered languages at most

// The built-in sets.
const TLetterSet& EnglishLetterSet();
const TLetterSet& DutchLetterSet();
const TLetterSet& GermanLetterSet();
const TLetterSet& CustomLetterSet();

// Start-up: the piece-letter language becomes "english", the registered
// list is emptied and english, dutch, german and custom are registered.
// Every operation below does this itself on first use.
void InitLetterSets();
// Shut-down: releases the stored sets; the next use starts up again.
void DoneLetterSets();

// Registers `name` with the language manager and stores a copy of `set` as
// that language's set. An identifier above 100 or a 101st language raises
// TRunError("Range check error").
void RegisterLetterSet(std::string_view name, const TLetterSet& set);
// The i-th registered language (from 1); "english" for any other i.
int LanguageAt(int i);
int LetterSetCount();
// The stored set of a language, or nullptr when it has none.
const TLetterSet* FindLetterSet(int language);

// Position 0..6 of the first character of `text` among letters 0..6 of the
// language's set ("default" means the piece-letter language, "symbolic"
// has no letters); a one-character text is upper-cased (a..z) first when
// `upperCase` is set. A language outside 0..100 raises "Range check error".
int LookupPieceLetter(std::string_view text, int language, bool upperCase);

// The english lookup of every byte, as the EPD reader needs it: piece code
// (0 none) in the low bits, kBlackLetter set for a lower-case letter a..z.
inline constexpr std::uint8_t kBlackLetter = 0x10;
using TPieceLetterTable = std::array<std::uint8_t, 256>;
const TPieceLetterTable& EnglishPieceTable();

}  // namespace bq
