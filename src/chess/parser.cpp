#include "chess/parser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

#include "chess/letters.h"
#include "chess/validation.h"
#include "support/bytes.h"

namespace bq {

namespace {

// The first space or semicolon in [p, end), or end. Eight bytes at a
// time where the machine allows: operands such as ids run long.
inline const char* WordEnd(const char* p, const char* const end) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    while (end - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      const std::uint64_t blank = w ^ (kOnes * ' '), semicolon = w ^ (kOnes * ';');
      const std::uint64_t found =
          ((blank - kOnes) & ~blank & kHigh) | ((semicolon - kOnes) & ~semicolon & kHigh);
      // The lowest flagged byte is exact (a borrow only runs upwards).
      if (found != 0) return p + std::countr_zero(found) / 8;
      p += 8;
    }
  }
  while (p != end && *p != ' ' && *p != ';') ++p;
  return p;
}

// The reader walks the input's text with a local cursor and hands the
// position back when it is done: board writes through unsigned char would
// otherwise make the compiler reload the input's state for every character.
struct TCursor {
  const char* Begin;
  const char* P;
  const char* End;

  explicit TCursor(const T_InputO& input)
      : Begin(input.Text().data()), P(Begin + input.Position()), End(Begin + input.Text().size()) {}
  bool AtEnd() const { return P == End; }
  char Peek() const { return P == End ? '\0' : *P; }
  std::size_t Index() const { return static_cast<std::size_t>(P - Begin); }
  bool SkipBlanks() {
    const char* p = P;
    while (p != End && IsEPDBlank(*p)) ++p;
    const bool skipped = p != P;
    P = p;
    return skipped;
  }
  // Up to and including the next space or semicolon, or to the end; the
  // word excludes that space or semicolon. Returns the last character taken.
  char Word(std::string_view& word) {
    const char* const start = P;
    const char* p = WordEnd(start, End);
    word = std::string_view(start, static_cast<std::size_t>(p - start));
    if (p != End) {
      P = p + 1;
      return *p;
    }
    P = p;
    return p != start ? p[-1] : '\0';
  }
};

// A character or text as shown in a reason: quoted, with anything that is
// not printable ASCII escaped.
std::string Shown(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (ch == '\t') {
      out += "\\t";
    } else if (ch == '\r') {
      out += "\\r";
    } else if (ch == '\n') {
      out += "\\n";
    } else if (b >= 32 && b < 127) {
      out += ch;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  out += '"';
  return out;
}

std::string Shown(char c) {
  return Shown(std::string_view(&c, 1));
}

std::string Column(std::size_t index) {
  return "column " + std::to_string(index + 1);
}

// Records the reason of a syntax error; returns true (= error) for brevity.
bool Fail(std::string* reason, std::string text) {
  if (reason) *reason = std::move(text);
  return true;
}

// What stands where a blank was required.
bool FailNoBlank(std::string* reason, const TCursor& in, const char* after) {
  if (!reason) return true;
  if (in.AtEnd()) return Fail(reason, std::string("line ends after the ") + after);
  return Fail(reason, std::string("no blank after the ") + after + " at " + Column(in.Index()) +
                          " (found " + Shown(in.Peek()) + ")");
}

bool FailCastling(std::string* reason, const TCursor& in, const char* start) {
  if (!reason) return true;
  const char* end = start;
  while (end != in.End && !IsEPDBlank(*end)) ++end;
  return Fail(reason, "castling field: " +
                          Shown(std::string_view(start, static_cast<std::size_t>(end - start))) +
                          " at " + Column(static_cast<std::size_t>(start - in.Begin)) +
                          " is not \"-\" or an ordered selection of K, Q, k, q");
}

static_assert(kBlackLetter == 0x10, "placement codes are colour << 4 | piece");

// Cells as bits by placement code, up to Black's king; codes 0 and 16 hold
// nothing.
using TCellsOfCode = std::array<std::uint64_t, 16 + pKing + 1>;

// The bit of every cell.
constexpr auto kCellBit = [] {
  std::array<std::uint64_t, 64> bits{};
  for (std::size_t i = 0; i < 64; ++i) bits[i] = std::uint64_t{1} << i;
  return bits;
}();

// The counts and cells by placement code, as the legality test takes them.
// Code colour << 4 holds nothing: the copies of codes 0..6 and 16..22 need
// no per-piece loop.
inline void CollectPlaced(TPositionCore& core, const std::array<std::uint8_t, 32>& perCode,
                          const TCellsOfCode& cellsOfCode, TPieceCounts& counts,
                          TPieceCells& cells) {
  static_assert(sizeof counts[0] == 7 && sizeof cells[0] == 7 * sizeof(std::uint64_t));
  for (std::size_t colour = 0; colour <= 1; ++colour) {
    std::memcpy(counts[colour].data(), perCode.data() + 16 * colour, sizeof counts[0]);
    std::memcpy(cells[colour].data(), cellsOfCode.data() + 16 * colour, sizeof cells[0]);
  }
  core.Pieces = cells;
}

// The cell of every placement code.
constexpr auto kCellOfCode = [] {
  std::array<TCell, 32> cells{};
  for (std::uint8_t code = 0; code < 32; ++code)
    cells[code] = TCell{static_cast<std::uint8_t>(code >> 4), static_cast<std::uint8_t>(code & 7)};
  return cells;
}();

// The castling letters in the order they are read.
struct TRight {
  char Letter;
  std::uint8_t Colour;
  std::uint8_t RookCell;  // cell index of the rook's home square
  std::uint8_t Right;     // index into CastlingRights
};
constexpr TRight kRights[] = {{'K', cWhite, (8 - 1) * 8 + 0, 1},
                              {'Q', cWhite, 0, 0},
                              {'k', cBlack, (8 - 1) * 8 + 7, 3},
                              {'q', cBlack, 7, 2}};

// A right is granted only with king and rook on their home squares.
void GrantRight(TPositionCore& core, const TRight& right) {
  constexpr std::uint8_t kWhiteKing = (5 - 1) * 8 + 0, kBlackKing = (5 - 1) * 8 + 7;
  const TCell rook = core.Board[right.RookCell];
  const TCell king = core.Board[right.Colour == cWhite ? kWhiteKing : kBlackKing];
  if (rook == TCell{right.Colour, pRook} && king == TCell{right.Colour, pKing})
    core.CastlingRights[right.Right] = true;
}

enum class PlacementError { None, LineEnds, BeyondFileH, TooManyRows, Digits, Other };

// The reason for a refused placement; the cursor stands after the
// offending character (or at the end).
bool FailPlacement(std::string* reason, const TCursor& in, PlacementError error) {
  if (!reason) return true;
  if (error == PlacementError::LineEnds)
    return Fail(reason, "placement: line ends inside the piece placement");
  const std::size_t at = in.Index() - 1;
  const std::string c = Shown(in.Begin[at]);
  switch (error) {
    case PlacementError::BeyondFileH:
      return Fail(reason, "placement: piece " + c + " beyond file h at " + Column(at));
    case PlacementError::TooManyRows:
      return Fail(reason, "placement: too many rows (" + c + " at " + Column(at) + ")");
    case PlacementError::Digits:
      return Fail(reason, "placement: digits carry the row past 255 files at " + Column(at));
    default:
      return Fail(reason, "placement: unexpected character " + c + " at " + Column(at));
  }
}

// The four fields; true on a syntax error. Also gives the count of the
// pieces placed and the cells they stand on.
bool ReadFields(TCursor& in, TPositionCore& core, std::string* reason, TPieceCounts& counts,
                TPieceCells& cells) {
  const TPieceLetterTable& letters = EnglishPieceTable();

  // Field 1, piece placement, rank 8 first. The row and file counters are
  // 8-bit: a line that would take them outside 0..255 is refused. The loop
  // keeps its cursor in locals, as the board writes could alias it, and
  // counts pieces by letter code (colour << 4 | piece).
  ClearBoard(core);
  std::array<std::uint8_t, 32> perCode{};
  TCellsOfCode cellsOfCode{};
  unsigned rank = 8, file = 1;
  unsigned index = 7;       // cell of (file, rank) while both are on the board
  unsigned pieceLimit = 8;  // a piece needs file <= this; 0 below rank 1
  unsigned stopFile = 255;  // beyond it the placement (rank 1) or the line (overflow) ends
  const char* p = in.P;
  const char* const end = in.End;
  PlacementError error = PlacementError::None;
  for (;;) {
    if (p == end) {
      error = PlacementError::LineEnds;
      break;
    }
    const char c = *p++;
    const std::uint8_t code = letters[static_cast<unsigned char>(c)];
    if (code != 0) {
      if (file > pieceLimit) {
        error = rank < 1 && file <= 8 ? PlacementError::TooManyRows : PlacementError::BeyondFileH;
        break;
      }
      core.Board[index] = kCellOfCode[code];
      ++perCode[code];
      cellsOfCode[code] |= kCellBit[index];
      index += 8;
      if (++file > stopFile) break;  // rank 1 is full
    } else if (c >= '1' && c <= '8') {
      const unsigned step = static_cast<unsigned>(c - '0');
      file += step;
      index += 8 * step;
      if (file > stopFile) {
        if (rank != 1) error = PlacementError::Digits;
        break;
      }
    } else if (c == '/' && rank >= 1) {
      file = 1;
      --rank;
      index = rank - 1;
      if (rank == 1) stopFile = 8;
      if (rank == 0) {
        stopFile = 255;
        pieceLimit = 0;
      }
    } else if (c == ' ' && rank >= 1) {
      --p;  // the blank is the separator that follows
      break;
    } else {
      error = (c == '/' || c == ' ') ? PlacementError::TooManyRows : PlacementError::Other;
      break;
    }
  }
  in.P = p;
  if (error != PlacementError::None) return FailPlacement(reason, in, error);
  CollectPlaced(core, perCode, cellsOfCode, counts, cells);
  if (!in.SkipBlanks()) return FailNoBlank(reason, in, "placement");

  // Field 2, side to move: exactly "w" or "b".
  if (in.AtEnd()) return Fail(reason, "line ends before the side to move");
  const char side = *in.P;
  if (side == 'w')
    core.SideToMove = cWhite;
  else if (side == 'b')
    core.SideToMove = cBlack;
  else
    return Fail(reason, "side to move must be \"w\" or \"b\", found " + Shown(side) + " at " +
                            Column(in.Index()));
  ++in.P;
  if (!in.SkipBlanks()) return FailNoBlank(reason, in, "side to move");

  // Field 3, castling: "-" or K, Q, k, q in this order, each at most once.
  // A right is granted only with king and rook on their home squares.
  core.CastlingRights.fill(false);
  if (in.AtEnd()) return Fail(reason, "line ends before the castling field");
  const char* castling = in.P;
  if (*in.P == '-') {
    ++in.P;
  } else {
    for (const TRight& right : kRights) {
      if (in.AtEnd()) break;
      if (*in.P != right.Letter) continue;
      ++in.P;
      GrantRight(core, right);
    }
  }
  if (!in.SkipBlanks() && !in.AtEnd()) return FailCastling(reason, in, castling);
  if (in.AtEnd()) return Fail(reason, "line ends after the castling field (no en-passant field)");

  // Field 4, en-passant square: "-", or a letter (its code - 64 is stored,
  // whatever letter it is) and one more character for the rank.
  if (*in.P == '-') {
    core.EnPassantFile = 0;
    ++in.P;
  } else {
    const std::size_t at = in.Index();
    char c = *in.P++;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto code = static_cast<unsigned char>(c);
    if (code < 64)
      return Fail(reason, "en-passant field: " + Shown(in.Begin[at]) + " at " + Column(at) +
                              " is not a file letter");
    core.EnPassantFile = static_cast<std::uint8_t>(code - 64);
    if (!in.AtEnd()) ++in.P;
  }
  if (!in.AtEnd() && !in.SkipBlanks())
    return Fail(reason, "en-passant field must be followed by a blank, found " + Shown(in.Peek()) +
                            " at " + Column(in.Index()));
  return false;
}

// The four fields of a plain line, as test suites and databases write
// them: eight full ranks, single blanks between the fields, castling "-" or
// rights in the order KQkq, en passant "-" or a square a1..h8, then a blank
// or the end. Gives the same core, counts and cells as ReadFields, and the
// point where the operations start; nullptr for any other line, which then
// takes the general way (the core may have been changed meanwhile).
const char* ReadPlainFields(const char* p, const char* const end, TPositionCore& core,
                            TPieceCounts& counts, TPieceCells& cells) {
  if (p == end) return nullptr;
  const TPieceLetterTable& letters = EnglishPieceTable();
  // The placement loop stops at the first byte that is no piece, digit or
  // "/": a line that ends in such a byte cannot take it past the end.
  const auto last = static_cast<unsigned char>(end[-1]);
  if (letters[static_cast<unsigned char>(' ')] != 0 || letters[last] != 0 ||
      (last >= '1' && last <= '8') || last == '/')
    return nullptr;

  ClearBoard(core);
  TCell* const board = core.Board.data();
  std::array<std::uint8_t, 32> perCode{};
  TCellsOfCode cellsOfCode{};
  // Cell (file, rank) is (file - 1) * 8 + rank - 1: a rank starts at
  // rank - 1 and is full at 64 + rank - 1; a piece needs a cell below 64.
  std::size_t index = 7;
  std::size_t full = 64 + 7;
  for (;; ++p) {
    const std::size_t c = static_cast<unsigned char>(*p);
    const std::size_t code = letters[c];
    if (code != 0) {
      if (index >= 64) return nullptr;
      board[index] = kCellOfCode[code];
      ++perCode[code];
      cellsOfCode[code] |= kCellBit[index];
      index += 8;
    } else if (c - '1' < 8) {
      index += 8 * (c - '0');
    } else if (c == '/') {
      if (index != full || full == 64) return nullptr;
      --full;
      index = full - 64;
    } else if (c == ' ' && index == full && full == 64) {
      ++p;
      break;
    } else {
      return nullptr;
    }
  }
  CollectPlaced(core, perCode, cellsOfCode, counts, cells);

  if (end - p < 2 || p[1] != ' ') return nullptr;
  if (p[0] == 'w')
    core.SideToMove = cWhite;
  else if (p[0] == 'b')
    core.SideToMove = cBlack;
  else
    return nullptr;
  p += 2;

  core.CastlingRights.fill(false);
  if (p == end) return nullptr;
  if (*p == '-') {
    ++p;
  } else {
    const char* const start = p;
    for (const TRight& right : kRights) {
      if (p == end) break;
      if (*p != right.Letter) continue;
      ++p;
      GrantRight(core, right);
    }
    if (p == start) return nullptr;
  }
  if (end - p < 2 || *p != ' ') return nullptr;
  ++p;

  if (*p == '-') {
    core.EnPassantFile = 0;
    ++p;
  } else if (end - p >= 2 && p[0] >= 'a' && p[0] <= 'h' && p[1] >= '1' && p[1] <= '8') {
    core.EnPassantFile = static_cast<std::uint8_t>(p[0] - 'a' + 1);
    p += 2;
  } else {
    return nullptr;
  }
  if (p != end && *p != ' ') return nullptr;
  return p;
}

// Replaces the text of a stored word, keeping its buffer when it is big
// enough (the text never lies in that buffer: see Overlaps).
void Store(std::string& s, std::string_view word) {
  const std::size_t n = word.size();
  if (n > s.size() || n > 16) {
    s.assign(word.data(), n);
    return;
  }
  // Most words are short and no longer than what the string held before:
  // copied in place, then the length cut.
  CopyShort(s.data(), word.data(), n);
  s.resize(n);
}

// Operations go straight into rec's lists, reusing the strings and lists
// already there so that a run of lines does not allocate per word.
void ReadOperations(std::string_view text, TPosition& rec) {
  std::vector<std::string>& opcodes = rec.Opcodes;
  std::vector<std::vector<std::string>>& lists = rec.Operands;
  TEPDOperationReader reader(text);
  std::size_t count = 0;
  std::string_view word;
  while (reader.NextOpcode(word)) {
    if (count < opcodes.size())
      Store(opcodes[count], word);
    else
      opcodes.emplace_back(word);
    if (count >= lists.size()) lists.emplace_back();
    std::vector<std::string>& operands = lists[count];
    ++count;
    std::size_t m = 0;
    while (reader.NextOperand(word)) {
      if (m < operands.size())
        Store(operands[m], word);
      else
        operands.emplace_back(word);
      ++m;
    }
    if (operands.size() != m) operands.resize(m);
  }
  if (opcodes.size() != count) opcodes.resize(count);
  if (lists.size() != count) lists.resize(count);
}

bool Within(const std::string& s, const char* p) {
  const std::less_equal<const char*> le;
  return le(s.data(), p) && le(p, s.data() + s.capacity());
}

// Whether the text lies in storage of rec's operation lists.
bool Overlaps(const TPosition& rec, std::string_view line) {
  const char* p = line.data();
  if (p == nullptr) return false;
  for (const std::string& s : rec.Opcodes)
    if (Within(s, p)) return true;
  for (const auto& list : rec.Operands)
    for (const std::string& s : list)
      if (Within(s, p)) return true;
  return false;
}

}  // namespace

bool T_PGNParserO::PieceFromLetter(char c, std::uint8_t& piece, std::uint8_t& colour) {
  const std::uint8_t code = EnglishPieceTable()[static_cast<unsigned char>(c)];
  piece = code & 7;
  colour = (code & kBlackLetter) ? cBlack : cWhite;
  return piece != pNone;
}

char T_PGNParserO::ReadWord(T_InputO& input, std::string_view& word) {
  TCursor in(input);
  const char last = in.Word(word);
  input.Seek(in.Index());
  return last;
}

bool T_PGNParserO::ReadEPDFields(std::string_view, T_InputO& input, TPosition& rec,
                                 std::string* reason) {
  TCursor in(input);
  TPieceCounts counts{};
  TPieceCells cells{};
  const bool error = ReadFields(in, rec.Core, reason, counts, cells);
  input.Seek(in.Index());
  return error;
}

bool T_PGNParserO::ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason,
                               std::string* illegality) {
  // The words are stored into rec's own strings: a line that lives in one
  // of them is read from a copy.
  if (Overlaps(rec, line)) {
    const std::string copy(line);
    return ReadEPDLine(rec, copy, reason, illegality);
  }
  T_InputO input;
  input.OpenString(line);
  TCursor in(input);
  // The fields go straight into rec's core; on a syntax error it gets back
  // what it held. This is the edit of a fresh record opened on the start
  // position, without copying records around.
  TPositionCore& core = rec.Core;
  const TPositionCore saved = core;
  TPieceCounts counts{};
  TPieceCells cells{};
  if (const char* ops = ReadPlainFields(in.P, in.End, core, counts, cells)) {
    in.P = ops;
  } else if (ReadFields(in, core, reason, counts, cells)) {
    core = saved;
    return false;
  }
  core.MoveNumber = 1;
  if (illegality) *illegality = DescribeIllegality(core);
  // An impossible position is replaced by the start position.
  if (!IsLegalPosition(rec)) SetStartPosition(core);
  ReadOperations(std::string_view(in.P, static_cast<std::size_t>(in.End - in.P)), rec);
  return true;
}

const char* ReadPlainEPDFields(std::string_view line, TPositionCore& core, TPieceCounts& counts,
                               TPieceCells& cells) {
  return ReadPlainFields(line.data(), line.data() + line.size(), core, counts, cells);
}

std::optional<TPosition> T_PGNParserO::ReadEPDRecord(std::string_view line, std::string* reason) {
  TPosition rec;
  InitPosition(rec);
  if (!ReadEPDLine(rec, line, reason)) return std::nullopt;
  return rec;
}

bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason) {
  T_PGNParserO parser;
  return parser.ReadEPDLine(rec, line, reason);
}

bool ReadEPDLineChecked(TPosition& rec, std::string_view line, std::string* reason,
                        std::string* illegality) {
  T_PGNParserO parser;
  return parser.ReadEPDLine(rec, line, reason, illegality);
}

}  // namespace bq
