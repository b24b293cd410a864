#include "chess/parser.h"

#include <array>
#include <cstdint>

#include "chess/letters.h"
#include "chess/validation.h"

namespace bq {

namespace {

// A text as shown in a reason: quoted, anything but printable ASCII escaped.
std::string Shown(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\')
      out.append({'\\', ch});
    else if (ch == '\t' || ch == '\r' || ch == '\n')
      out.append({'\\', ch == '\t' ? 't' : ch == '\r' ? 'r' : 'n'});
    else if (b >= 32 && b < 127)
      out += ch;
    else
      out.append({'\\', 'x', kHex[b >> 4], kHex[b & 15]});
  }
  return out + '"';
}

std::string Shown(char c) {
  return Shown(std::string_view(&c, 1));
}

std::string Column(const T_InputO& in, const char* p) {
  return "column " + std::to_string(p - in.Text().data() + 1);
}

// Records the reason of a syntax error; returns true (= error) for brevity.
bool Fail(std::string* reason, std::string text) {
  if (reason) *reason = std::move(text);
  return true;
}

// What stands where a blank was required.
bool FailNoBlank(std::string* reason, const T_InputO& in, const char* after) {
  if (!reason) return true;
  if (in.AtEnd()) return Fail(reason, std::string("line ends after the ") + after);
  return Fail(reason, std::string("no blank after the ") + after + " at " + Column(in, in.Here()) +
                          " (found " + Shown(in.PeekChar()) + ")");
}

// The reason for a placement refused at the character before the input's
// position. Kept out of the reading loop, whose registers it would take.
[[gnu::noinline]] bool FailPlacement(const T_InputO& in, std::string* reason, bool belowRank1,
                                     bool piece, bool digit) {
  const char c = in.Here()[-1];
  if (c == '\0') return Fail(reason, "placement: line ends inside the piece placement");
  if (!reason) return true;
  const std::string shown = Shown(c), column = Column(in, in.Here() - 1);
  if (belowRank1 || (!piece && (c == '/' || c == ' ')))
    return Fail(reason, "placement: too many rows (" + shown + " at " + column + ")");
  if (piece) return Fail(reason, "placement: piece " + shown + " beyond file h at " + column);
  if (digit) return Fail(reason, "placement: digits carry the row past 255 files at " + column);
  return Fail(reason, "placement: unexpected character " + shown + " at " + column);
}

static_assert(kBlackLetter == 0x10, "letter codes are colour << 4 | piece");

// By letter code: the cell, and where its bitboard lies in Pieces.
struct TPlaced {
  std::array<TCell, 32> Cell{};
  std::array<std::uint8_t, 32> Slot{};
};
constexpr TPlaced kPlaced = [] {
  TPlaced t;
  for (std::uint8_t code = 0; code < 32; ++code) {
    t.Cell[code] = TCell{static_cast<std::uint8_t>(code >> 4), static_cast<std::uint8_t>(code & 7)};
    t.Slot[code] = static_cast<std::uint8_t>((code >> 4 & 1) * 7 + (code & 7));
  }
  return t;
}();

// The bit of cell i - 1 at index i.
constexpr auto kBitOfIndex = [] {
  std::array<TBitboard, 65> bits{};
  for (std::size_t i = 1; i < bits.size(); ++i) bits[i] = CellBit(static_cast<int>(i - 1));
  return bits;
}();

// What each rank allows: a piece needs index < Limit (file <= 8), digits
// stop at Stop (file > 255; on rank 1 file > 8), and "/" needs index <
// Slash (below rank 1 never, on rank 1 only while the row is not full).
struct TRankLimits {
  std::size_t Limit, Stop, Slash;
};
constexpr auto kRanks = [] {
  std::array<TRankLimits, 9> ranks{};
  for (std::size_t r = 0; r <= 8; ++r)
    ranks[r] = {r > 0 ? 64 + r : 0, r == 1 ? 65 : 255 * 8 + r, r > 1 ? SIZE_MAX : r == 1 ? 65 : 0};
  return ranks;
}();

// Field 1, rank 8 first, each row from file a. The 8-bit row and file
// counters of the format are kept: a line that would take them outside
// 0..255 is refused rather than wrapped. The loop is kept to a few
// instructions a character: the position is one number, index =
// (file - 1) * 8 + rank (the cell plus one), the text ends at a NUL, and
// what ended the loop is sorted out after it.
bool ReadPlacement(T_InputO& in, TPositionCore& core, std::string* reason) {
  static_assert(sizeof core.Pieces == 14 * sizeof(TBitboard));
  // The NUL ends the text, even where a changed set makes it a letter.
  const TPieceLetterTable& table = EnglishPieceTable();
  TPieceLetterTable changed;
  const std::uint8_t* letters = table.data();
  if (table[0] != 0) {
    changed = table;
    changed[0] = 0;
    letters = changed.data();
  }
  ClearBoard(core);
  TCell* const board = core.Board.data();
  TBitboard* const pieces = core.Pieces[0].data();
  std::size_t rank = 8, index = 8;
  const TRankLimits* limits = &kRanks[8];
  const char* p = in.Here();  // local: the board writes could alias the input
  for (;;) {
    const std::size_t c = static_cast<unsigned char>(*p++);
    if (const std::size_t code = letters[c]; code != 0) {
      if (index >= limits->Limit) break;
      board[index - 1] = kPlaced.Cell[code];
      pieces[kPlaced.Slot[code]] |= kBitOfIndex[index];
      index += 8;
    } else if (c - '1' < 8) {
      if ((index += 8 * (c - '0')) >= limits->Stop) break;
    } else if (c == '/' && index < limits->Slash) {
      limits = &kRanks[--rank];
      index = rank;
    } else {
      break;
    }
  }
  // What ended the loop is sorted out here: p stands after that character.
  const std::size_t c = static_cast<unsigned char>(p[-1]);
  const bool piece = letters[c] != 0, digit = !piece && c - '1' < 8;
  // Rank 1 ends with the character that takes the file past h, or the
  // blank before the side: what comes after that is given back.
  if ((rank == 1 && index >= 65) || (c == ' ' && !piece && rank > 0)) {
    in.MoveTo(digit && index - 8 * (c - '0') < 65 ? p : p - 1);
    return false;
  }
  in.MoveTo(p);
  return FailPlacement(in, reason, piece && rank == 0 && index < 64, piece, digit);
}

bool ReadSide(T_InputO& in, TPositionCore& core, std::string* reason) {
  if (in.AtEnd()) return Fail(reason, "line ends before the side to move");
  const char side = in.PeekChar();
  if (side != 'w' && side != 'b')
    return Fail(reason, "side to move must be \"w\" or \"b\", found " + Shown(side) + " at " +
                            Column(in, in.Here()));
  core.SideToMove = side == 'w' ? cWhite : cBlack;
  in.NextChar();
  return !in.SkipBlanks() && FailNoBlank(reason, in, "side to move");
}

// Field 3: "-" or K, Q, k, q in this order, each at most once. A right is
// granted only with king and rook on their home squares.
bool ReadCastling(T_InputO& in, TPositionCore& core, std::string* reason) {
  struct TRight {
    char Letter;
    std::uint8_t Colour, RookFile, Index;  // Index into CastlingRights
  };
  static constexpr TRight kRights[] = {
      {'K', cWhite, 8, 1}, {'Q', cWhite, 1, 0}, {'k', cBlack, 8, 3}, {'q', cBlack, 1, 2}};
  core.CastlingRights.fill(false);
  if (in.AtEnd()) return Fail(reason, "line ends before the castling field");
  const char* const start = in.Here();
  if (in.PeekChar() == '-') {
    in.NextChar();
  } else {
    for (const TRight& right : kRights) {
      if (in.AtEnd()) break;
      if (in.PeekChar() != right.Letter) continue;
      in.NextChar();
      const int home = HomeRank(right.Colour);
      const auto& board = core.Board;
      if (board[CellOf(right.RookFile, home)] == TCell{right.Colour, pRook} &&
          board[CellOf(5, home)] == TCell{right.Colour, pKing})
        core.CastlingRights[right.Index] = true;
    }
  }
  if (!in.SkipBlanks() && !in.AtEnd()) {
    if (!reason) return true;
    const char* end = start;
    while (*end != '\0' && !IsEPDBlank(*end)) ++end;
    return Fail(
        reason,
        "castling field: " + Shown(std::string_view(start, static_cast<std::size_t>(end - start))) +
            " at " + Column(in, start) + " is not \"-\" or an ordered selection of K, Q, k, q");
  }
  return in.AtEnd() && Fail(reason, "line ends after the castling field (no en-passant field)");
}

// Field 4: "-", or a letter (its code - 64 is stored, whatever letter it
// is) and one more character for the rank.
bool ReadEnPassant(T_InputO& in, TPositionCore& core, std::string* reason) {
  const char* const at = in.Here();
  const char c = in.NextChar();
  if (c == '-') {
    core.EnPassantFile = 0;
  } else {
    const auto code = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (code < 64)
      return Fail(reason, "en-passant field: " + Shown(c) + " at " + Column(in, at) +
                              " is not a file letter");
    core.EnPassantFile = static_cast<std::uint8_t>(code - 64);
    in.NextChar();
  }
  if (in.AtEnd() || in.SkipBlanks()) return false;
  return Fail(reason, "en-passant field must be followed by a blank, found " +
                          Shown(in.PeekChar()) + " at " + Column(in, in.Here()));
}

// The bytes that end a word: space, semicolon and the NUL after the text.
constexpr auto kWordEnds = [] {
  std::array<bool, 256> ends{};
  ends[' '] = ends[';'] = ends[0] = true;
  return ends;
}();

const char* WordEnd(const char* p) {
  while (!kWordEnds[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

// The operations that follow the fields: an opcode, then operands up to
// the word that ends in ";". The text is kept whole and the words are
// ranges of it. The cursor stays local, as vector growth could alias it.
void ReadOperations(T_InputO& in, TOperations& ops) {
  const char* const base = in.Here();
  const char* p = base;
  ops.Words.clear();
  ops.Opcodes.clear();
  bool opcode = true;
  while (*p != '\0') {
    if (opcode) ops.Opcodes.push_back(ops.Words.size());
    const char* const start = p;
    p = WordEnd(p);
    ops.Words.push_back(
        {static_cast<std::size_t>(start - base), static_cast<std::size_t>(p - start)});
    // A word that runs to the end ends in no ";".
    opcode = *p == ';';
    if (*p != '\0') ++p;
    while (IsEPDBlank(*p)) ++p;
  }
  in.MoveTo(p);
  ops.Text.clear();  // then append: cheaper than assign, which allows for overlap
  ops.Text.append(base, static_cast<std::size_t>(p - base));
}

}  // namespace

bool T_PGNParserO::ReadEPDFields(std::string_view, T_InputO& input, TPosition& rec,
                                 std::string* reason) {
  TPositionCore& core = rec.Core;
  if (ReadPlacement(input, core, reason)) return true;
  if (!input.SkipBlanks()) return FailNoBlank(reason, input, "placement");
  return ReadSide(input, core, reason) || ReadCastling(input, core, reason) ||
         ReadEnPassant(input, core, reason);
}

bool T_PGNParserO::PieceFromLetter(char c, std::uint8_t& piece, std::uint8_t& colour) {
  const std::uint8_t code = EnglishPieceTable()[static_cast<unsigned char>(c)];
  piece = code & 7;
  colour = (code & kBlackLetter) ? cBlack : cWhite;
  return piece != pNone;
}

char T_PGNParserO::ReadWord(T_InputO& input, std::string_view& word) {
  const char* const start = input.Here();
  const char* const p = WordEnd(start);
  word = std::string_view(start, static_cast<std::size_t>(p - start));
  input.MoveTo(*p != '\0' ? p + 1 : p);
  return *p != '\0' ? *p : p != start ? p[-1] : '\0';
}

std::optional<TPosition> T_PGNParserO::ReadEPDRecord(std::string_view line, std::string* reason) {
  TPosition rec;
  InitPosition(rec);
  if (!ReadEPDLine(rec, line, reason)) return std::nullopt;
  return rec;
}

bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason,
                 std::string* illegality) {
  return ReadEPDLine(rec, line, reason, illegality, true);
}

bool ReadEPDLineAsWritten(TPosition& rec, std::string_view line, std::string* reason) {
  return ReadEPDLine(rec, line, reason, nullptr, false);
}

bool ReadEPDLine(TPosition& rec, std::string_view line, std::string* reason,
                 std::string* illegality, bool check) {
  T_InputO input;
  input.OpenString(line);
  // The fields go straight into rec's core, which gets back what it held
  // on a syntax error: the edit of a fresh record opened on the start
  // position, without copying records around.
  const TPositionCore saved = rec.Core;
  if (T_PGNParserO::ReadEPDFields(line, input, rec, reason)) {
    rec.Core = saved;
    return false;
  }
  rec.Core.MoveNumber = 1;
  if (check) {
    if (illegality) illegality->clear();
    if (!CheckLegality(rec.Core, illegality)) SetStartPosition(rec.Core);
  }
  ReadOperations(input, rec.Operations);
  return true;
}

void ReadEPDOperations(std::string_view text, TOperations& ops) {
  T_InputO input;
  input.OpenString(text);
  input.SkipBlanks();
  ReadOperations(input, ops);
}

}  // namespace bq
