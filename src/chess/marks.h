#pragma once
// Marks on the board, as trainers draw them: coloured squares (`csl`) and
// arrows (`cal`; an arrow from a square to itself is a circle). The
// operands are the comment grammar of the common PGN commands: items
// separated by commas, each an optional colour letter and one square (csl)
// or two (cal), e.g. csl "Rd4,Ge5"; cal "Ge2e4,Bb1b1";.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"

namespace bq {

enum class TMarkColour : std::uint8_t { Green, Red, Yellow, Blue, Orange, Magenta };
// The letter of each mark colour, in TMarkColour order.
inline constexpr std::string_view kMarkLetters = "GRYBOC";

struct TSquareMark {
  TMarkColour Colour = TMarkColour::Green;
  std::uint8_t Cell = 0;  // as the board's cells: (file - 1) * 8 + rank - 1
  bool operator==(const TSquareMark&) const = default;
};
struct TArrowMark {
  TMarkColour Colour = TMarkColour::Green;
  std::uint8_t From = 0, To = 0;  // From == To: a circle
  bool operator==(const TArrowMark&) const = default;
};

struct TMarks {
  std::vector<TSquareMark> Squares;
  std::vector<TArrowMark> Arrows;
  bool Empty() const { return Squares.empty() && Arrows.empty(); }
  void Clear() {
    Squares.clear();
    Arrows.clear();
  }
  bool operator==(const TMarks&) const = default;
};

// Adds the marks of one operand text (quotes around it are dropped) for
// `opcode` ("csl" or "cal"). False, with `why`, at the first item that is
// not a mark; the marks before it stay.
bool AddMarks(std::string_view opcode, std::string_view text, TMarks& marks, std::string* why);

// The marks of every csl and cal operation of the position, replacing
// `marks`. False, with `why`, for a malformed one.
bool ReadMarks(const TPosition& position, TMarks& marks, std::string* why);

// The operand text of marks as the operations write them: "Rd4,Ge5".
std::string SquareMarksText(const std::vector<TSquareMark>& squares);
std::string ArrowMarksText(const std::vector<TArrowMark>& arrows);

}  // namespace bq
