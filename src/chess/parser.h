#pragma once
// Reads one EPD line: piece placement, side to move, castling, en-passant
// file, then operations (opcode, operands, ";"). No move counters are read;
// whatever follows the four fields is operations. A position that reads
// correctly but cannot occur is replaced by the start position; the line
// still counts as read.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chess/input.h"
#include "chess/position.h"
#include "chess/validation.h"

namespace bq {

// Where the pieces stand: [colour][piece code], bit i for cell i.
using TPieceCells = std::array<std::array<std::uint64_t, 7>, 2>;

class T_PGNParserO {
 public:
  // The whole line into a new record; nullopt when the line is not valid
  // EPD (`reason`, when given, then says what is wrong and where).
  std::optional<TPosition> ReadEPDRecord(std::string_view line, std::string* reason = nullptr);

  // The four data fields from `input`, positioned at the start of `line`,
  // into rec's core. Returns true on a syntax error.
  bool ReadEPDFields(std::string_view line, T_InputO& input, TPosition& rec,
                     std::string* reason = nullptr);

  // Found when c is an english piece letter in either case; lower case is Black.
  static bool PieceFromLetter(char c, std::uint8_t& piece, std::uint8_t& colour);

  // Takes characters up to and including the next space or semicolon, or to
  // the end of the input; `word` (a view into the input's text) gets them
  // without that space or semicolon. Returns the last character taken.
  static char ReadWord(T_InputO& input, std::string_view& word);

  // ReadEPDLine and ReadEPDLineChecked on this parser (see below).
  bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason = nullptr,
                   std::string* illegality = nullptr);
};

// Reads one EPD line into `rec`: on success its position and operations are
// replaced completely and the result is true; on failure `rec` is left
// exactly as it was, the result is false and `reason` (when given) receives
// a short explanation with the 1-based column in `line`.
bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason = nullptr);

// ReadEPDLine that also tells, for a line that reads, why its position was
// replaced by the start position (DescribeIllegality of the position as
// written; "" when it stands).
bool ReadEPDLineChecked(TPosition& rec, std::string_view line, std::string* reason,
                        std::string* illegality);

// The four fields of a line written the way test suites and databases write
// them: eight full ranks, single blanks between the fields, castling "-" or
// rights in the order KQkq, en passant "-" or a square a1..h8, then a blank
// or the end; the last byte of the line is no piece letter, digit or "/"
// (operations end in ";" as a rule). Fills `core` as ReadEPDLine does
// before its legality test (MoveNumber aside) and gives the piece counts
// and cells that IsLegalPositionCounted takes. Returns where the
// operations start, or nullptr for any other line, which ReadEPDLine reads
// the general way (`core` may have changed meanwhile). The line must hold
// no NUL.
const char* ReadPlainEPDFields(std::string_view line, TPositionCore& core, TPieceCounts& counts,
                               TPieceCells& cells);

// The operations of a line (the text after the four fields) as ReadEPDLine
// reads them: an opcode, then operands up to the word that ends in ";".
// Views into the text; nothing is stored.
class TEPDOperationReader {
 public:
  explicit TEPDOperationReader(std::string_view text)
      : p_(text.data()), end_(text.data() + text.size()) {
    SkipBlanks();
  }
  // The next opcode (skipping operands not asked for); false at the end.
  bool NextOpcode(std::string_view& opcode) {
    while (p_ != end_ && last_ != ';') Word(opcode);
    if (p_ == end_) return false;
    Word(opcode);
    return true;
  }
  // The next operand of the current opcode; false after its last.
  bool NextOperand(std::string_view& operand) {
    if (p_ == end_ || last_ == ';') return false;
    Word(operand);
    return true;
  }

 private:
  // Up to and including the next space or semicolon, or to the end (the
  // word excludes that space or semicolon), then the blanks after it;
  // last_ is the last character taken before the blanks.
  void Word(std::string_view& word) {
    const char* const start = p_;
    const char* p = start;
    while (p != end_ && *p != ' ' && *p != ';') ++p;
    word = std::string_view(start, static_cast<std::size_t>(p - start));
    if (p != end_)
      last_ = *p++;
    else
      last_ = p != start ? p[-1] : '\0';
    p_ = p;
    SkipBlanks();
  }
  void SkipBlanks() {
    while (p_ != end_ && IsEPDBlank(*p_)) ++p_;
  }

  const char* p_;
  const char* end_;
  char last_ = ';';
};

}  // namespace bq
