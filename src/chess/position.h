#pragma once
// One chess position with the EPD operations read with it. A plain value
// type: copies are deep. Board coordinates are 1-based (file 1..8 = a..h,
// rank 1..8 from White's side).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/errors.h"

namespace bq {

// Colour codes.
inline constexpr std::uint8_t cWhite = 0;
inline constexpr std::uint8_t cBlack = 1;
inline constexpr std::uint8_t cNone = 2;
// Piece codes.
inline constexpr std::uint8_t pNone = 0;
inline constexpr std::uint8_t pPawn = 1;
inline constexpr std::uint8_t pKnight = 2;
inline constexpr std::uint8_t pBishop = 3;
inline constexpr std::uint8_t pRook = 4;
inline constexpr std::uint8_t pQueen = 5;
inline constexpr std::uint8_t pKing = 6;

inline std::uint8_t OppositeColour(std::uint8_t c) {
  return c == 0 ? 1 : c == 1 ? 0 : c;
}
inline int HomeRank(std::uint8_t c) {
  return c == cWhite ? 1 : 8;
}

struct TCell {
  std::uint8_t Colour = cNone;
  std::uint8_t Piece = pNone;
  bool operator==(const TCell&) const = default;
};

// A set of cells, bit i for cell i (the cell numbering of the board).
using TBitboard = std::uint64_t;

// Cell of a square already known to be on the board.
constexpr int CellOf(int file, int rank) {
  return (file - 1) * 8 + (rank - 1);
}
constexpr TBitboard CellBit(int cell) {
  return TBitboard{1} << cell;
}

// The part of a position that is copied, saved and restored as one unit.
struct TPositionCore {
  std::array<TCell, 64> Board{};  // cell (f, r) is (f - 1) * 8 + (r - 1)
  std::uint8_t SideToMove = cWhite;
  std::int16_t MoveNumber = 1;
  std::uint8_t EnPassantFile = 0;        // 0 none; 1..8 a..h (EPD: <= 191)
  std::array<bool, 4> CastlingRights{};  // WQ, WK, BQ, BK
  // The board again as bits, kept in step with Board by every cell writer
  // (SetSquare, PutPiece, ClearBoard): Pieces[colour][piece] holds the
  // cells of that piece (piece 0 unused), Odd the cells whose content is
  // no valid piece. Legality and move generation work on these.
  std::array<std::array<TBitboard, 7>, 2> Pieces{};
  TBitboard Odd = 0;
  bool operator==(const TPositionCore&) const = default;
};

constexpr TBitboard SideBits(const TPositionCore& core, std::uint8_t colour) {
  const auto& p = core.Pieces[colour];
  return p[pPawn] | p[pKnight] | p[pBishop] | p[pRook] | p[pQueen] | p[pKing];
}
constexpr TBitboard OccupiedBits(const TPositionCore& core) {
  return SideBits(core, cWhite) | SideBits(core, cBlack) | core.Odd;
}

// Puts a piece (colour 0..1, piece 1..6) on an empty cell 0..63: the
// readers' way of filling a cleared board, with no checks.
constexpr void PutPiece(TPositionCore& core, int cell, std::uint8_t colour, std::uint8_t piece) {
  core.Board[static_cast<std::size_t>(cell)] = TCell{colour, piece};
  core.Pieces[colour][piece] |= CellBit(cell);
}

// The EPD operations of a record in reading order: each opcode followed by
// its operands, as ranges of one text, so that reading a line into a
// record that was used before allocates nothing.
struct TOperations {
  struct TWord {
    std::size_t At = 0, Size = 0;  // a range of Text
    bool operator==(const TWord&) const = default;
  };
  std::string Text;
  std::vector<TWord> Words;
  std::vector<std::size_t> Opcodes;  // the index in Words of each opcode
  bool operator==(const TOperations&) const = default;
};

struct TPosition {
  TPositionCore Core;
  std::optional<TPositionCore> Saved;  // present while an edit is open
  bool EditOpen = false;
  TOperations Operations;
};

// Life cycle and copying.
void InitPosition(TPosition& rec);
void FreePosition(TPosition& rec);
void AssignPosition(TPosition& dest, const TPosition& source);
void BeginEdit(TPosition& rec);
void EndEdit(TPosition& rec, bool keep);

// Board and state accessors; a file or rank outside 1..8, or a castling
// colour above 1, raises TRunError("Range check error").
void SetSquare(TPositionCore& core, int file, int rank, std::uint8_t colour, std::uint8_t piece);
void ClearSquare(TPositionCore& core, int file, int rank);
std::uint8_t PieceAt(const TPositionCore& core, int file, int rank);
std::uint8_t ColourAt(const TPositionCore& core, int file, int rank);
bool SquareHolds(const TPositionCore& core, int file, int rank, std::uint8_t colour,
                 std::uint8_t piece);
void ClearBoard(TPositionCore& core);
void SetStartPosition(TPositionCore& core);
void SetSideToMove(TPositionCore& core, std::uint8_t colour);
std::uint8_t SideToMove(const TPositionCore& core);
void SetCastling(TPositionCore& core, int colour, int wing, bool value);
bool Castling(const TPositionCore& core, int colour, int wing);
void SetEnPassantFile(TPositionCore& core, std::uint8_t file);
void SetMoveNumber(TPositionCore& core, std::int16_t number);
std::int16_t MoveNumber(const TPositionCore& core);

// EPD operations; numbers are 1-based. A number that names no operation or
// operand raises TRunError("List index out of bounds (%d)").
int AddOperation(TPosition& rec, std::string_view opcode);
void AddOperand(TPosition& rec, int n, std::string_view operand);
int FindOperation(const TPosition& rec, std::string_view name);  // 0 when none
bool HasOperation(const TPosition& rec, std::string_view name);
int OperationCount(const TPosition& rec);
std::string_view Opcode(const TPosition& rec, int n);
// The index in Opcodes of operation n. The error names the zero-based
// list index that was out of range, as the list itself would.
inline std::size_t OperationIndex(const TOperations& ops, int n) {
  if (n < 1 || static_cast<std::size_t>(n) > ops.Opcodes.size())
    RaiseListIndexError(static_cast<long long>(n) - 1);
  return static_cast<std::size_t>(n - 1);
}
// The index in Words of the word after operation i's last operand.
inline std::size_t OperandsEnd(const TOperations& ops, std::size_t i) {
  return i + 1 < ops.Opcodes.size() ? ops.Opcodes[i + 1] : ops.Words.size();
}
// The operands of operation n, as ranges of rec.Operations.Text. Inline:
// the converter asks for them for every record.
inline std::span<const TOperations::TWord> OperandWords(const TPosition& rec, int n) {
  const TOperations& ops = rec.Operations;
  const std::size_t i = OperationIndex(ops, n);
  return std::span(ops.Words).subspan(ops.Opcodes[i] + 1, OperandsEnd(ops, i) - ops.Opcodes[i] - 1);
}
int OperandCount(const TPosition& rec, int n);
std::string_view Operand(const TPosition& rec, int n, int m);
std::string OperandText(const TPosition& rec, int n);
// Drops every operation.
void ClearOperations(TPosition& rec);

}  // namespace bq
