#include "chess/marks.h"

#include <array>

#include "support/ascii.h"

namespace bq {

namespace {

// A square "a1".."h8" at `text`; false for anything else.
bool ReadSquare(std::string_view text, std::uint8_t& cell) {
  if (text.size() < 2) return false;
  const char file = static_cast<char>(text[0] | 0x20), rank = text[1];
  if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return false;
  cell = static_cast<std::uint8_t>((file - 'a') * 8 + (rank - '1'));
  return true;
}

std::string SquareName(std::uint8_t cell) {
  return {static_cast<char>('a' + cell / 8), static_cast<char>('1' + cell % 8)};
}

bool ReadColour(char letter, TMarkColour& colour) {
  const std::size_t k = kMarkLetters.find(letter);
  if (k == std::string_view::npos) return false;
  colour = static_cast<TMarkColour>(k);
  return true;
}

// One item: an optional colour letter, then `squares` squares.
bool ReadItem(std::string_view item, int squares, TMarkColour& colour,
              std::array<std::uint8_t, 2>& cells) {
  colour = TMarkColour::Green;
  if (item.size() == 2 * static_cast<std::size_t>(squares) + 1) {
    if (!ReadColour(item[0], colour)) return false;
    item.remove_prefix(1);
  }
  if (item.size() != 2 * static_cast<std::size_t>(squares)) return false;
  for (int k = 0; k < squares; ++k)
    if (!ReadSquare(item.substr(2 * static_cast<std::size_t>(k)),
                    cells[static_cast<std::size_t>(k)]))
      return false;
  return true;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

bool AddMarks(std::string_view opcode, std::string_view text, TMarks& marks, std::string* why) {
  const bool arrows = SameAsciiText(opcode, "cal");
  text = Trimmed(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = Trimmed(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (item.empty()) continue;
    TMarkColour colour;
    std::array<std::uint8_t, 2> cells{};
    if (!ReadItem(item, arrows ? 2 : 1, colour, cells)) {
      if (why)
        *why = "bad mark \"" + std::string(item) + "\" in " + (arrows ? "cal" : "csl") +
               ": a colour letter R G Y B O C and " + (arrows ? "two squares" : "a square") +
               " a1..h8";
      return false;
    }
    if (arrows)
      marks.Arrows.push_back({colour, cells[0], cells[1]});
    else
      marks.Squares.push_back({colour, cells[0]});
  }
  return true;
}

bool ReadMarks(const TPosition& position, TMarks& marks, std::string* why) {
  marks.Clear();
  const int count = OperationCount(position);
  for (int n = 1; n <= count; ++n) {
    const std::string_view opcode = Opcode(position, n);
    if (opcode.size() != 3 || (!SameAsciiText(opcode, "csl") && !SameAsciiText(opcode, "cal")))
      continue;
    if (!AddMarks(opcode, OperandText(position, n), marks, why)) return false;
  }
  return true;
}

std::string SquareMarksText(const std::vector<TSquareMark>& squares) {
  std::string text;
  for (const TSquareMark& m : squares) {
    if (!text.empty()) text += ',';
    text += kMarkLetters[static_cast<std::size_t>(m.Colour)] + SquareName(m.Cell);
  }
  return text;
}

std::string ArrowMarksText(const std::vector<TArrowMark>& arrows) {
  std::string text;
  for (const TArrowMark& m : arrows) {
    if (!text.empty()) text += ',';
    text +=
        kMarkLetters[static_cast<std::size_t>(m.Colour)] + SquareName(m.From) + SquareName(m.To);
  }
  return text;
}

}  // namespace bq
