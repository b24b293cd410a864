#pragma once
// Reads one EPD line: piece placement, side to move, castling, en-passant
// file, then operations (opcode, operands, ";"). No move counters are read;
// whatever follows the four fields is operations. A position that reads
// correctly but cannot occur is replaced by the start position; the line
// still counts as read.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chess/input.h"
#include "chess/position.h"

namespace bq {

class T_PGNParserO {
 public:
  // The whole line into a new record; nullopt when the line is not valid
  // EPD (`reason`, when given, then says what is wrong and where).
  std::optional<TPosition> ReadEPDRecord(std::string_view line, std::string* reason = nullptr);

  // The four data fields from `input`, positioned at the start of `line`,
  // into rec's core, leaving `input` after the blanks that follow them.
  // Returns true on a syntax error.
  static bool ReadEPDFields(std::string_view line, T_InputO& input, TPosition& rec,
                            std::string* reason = nullptr);

  // Found when c is an english piece letter in either case; lower case is Black.
  static bool PieceFromLetter(char c, std::uint8_t& piece, std::uint8_t& colour);

  // Takes characters up to and including the next space or semicolon, or to
  // the end of the input; `word` (a view into the input's text) gets them
  // without that space or semicolon. Returns the last character taken.
  static char ReadWord(T_InputO& input, std::string_view& word);
};

// Reads one EPD line into `rec`: on success its position and operations are
// replaced completely and the result is true; on failure `rec` is left
// exactly as it was, the result is false and `reason` (when given) receives
// a short explanation with the 1-based column in `line`. `illegality`, when
// given, receives why a line that reads had its position replaced by the
// start position ("" when it stands).
bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason = nullptr,
                 std::string* illegality = nullptr);

// ReadEPDLine without the legality test: a position that cannot occur
// stays as the line writes it, for the position editor to show.
bool ReadEPDLineAsWritten(TPosition& rec, std::string_view line, std::string* reason = nullptr);
// Both of them: with `check`, the legality test as ReadEPDLine makes it.
bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason,
                 std::string* illegality, bool check);

// The operations of `text`, the part of a line after the four fields, as
// ReadEPDLine takes them (leading blanks skipped).
void ReadEPDOperations(std::string_view text, TOperations& ops);

}  // namespace bq
