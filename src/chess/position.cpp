#include "chess/position.h"

#include "chess/validation.h"
#include "support/errors.h"

namespace bq {

namespace {

// Cell index of a checked square; every board access goes through here.
int CellIndex(int file, int rank) {
  if (file < 1 || file > 8 || rank < 1 || rank > 8) RaiseRangeError();
  return (file - 1) * 8 + (rank - 1);
}

int CastlingIndex(int colour, int wing) {
  if (colour < 0 || colour > 1 || wing < 0 || wing > 1) RaiseRangeError();
  return colour * 2 + wing;
}

// The start position, built once: the back rank rook, knight, bishop,
// queen, king, bishop, knight, rook; pawns on ranks 2 and 7; White to move
// in move 1; all castling rights; no en-passant file.
constexpr TPositionCore MakeStartCore() {
  constexpr std::uint8_t kBackRank[8] = {pRook, pKnight, pBishop, pQueen,
                                         pKing, pBishop, pKnight, pRook};
  TPositionCore core{};
  for (int f = 1; f <= 8; ++f) {
    PutPiece(core, CellOf(f, 1), cWhite, kBackRank[f - 1]);
    PutPiece(core, CellOf(f, 2), cWhite, pPawn);
    PutPiece(core, CellOf(f, 7), cBlack, pPawn);
    PutPiece(core, CellOf(f, 8), cBlack, kBackRank[f - 1]);
  }
  core.MoveNumber = 1;
  core.SideToMove = cWhite;
  core.CastlingRights = {true, true, true, true};
  core.EnPassantFile = 0;
  return core;
}

constexpr TPositionCore kStartCore = MakeStartCore();

}  // namespace

void InitPosition(TPosition& rec) {
  SetStartPosition(rec.Core);
  rec.Saved.reset();
  rec.EditOpen = false;
  ClearOperations(rec);
}

void FreePosition(TPosition& rec) {
  if (rec.EditOpen) EndEdit(rec, false);
  rec.Operations = {};
}

void AssignPosition(TPosition& dest, const TPosition& source) {
  if (&dest == &source) return;
  dest.Core = source.Core;
  dest.Operations = source.Operations;
}

void BeginEdit(TPosition& rec) {
  rec.Saved = rec.Core;
  rec.EditOpen = true;
}

void EndEdit(TPosition& rec, bool keep) {
  // Without a saved core there is nothing to fall back on, so the position
  // stays as it is rather than being replaced by garbage.
  if (rec.Saved && (!keep || !IsLegalPosition(rec))) rec.Core = *rec.Saved;
  rec.Saved.reset();
  rec.EditOpen = false;
}

void SetSquare(TPositionCore& core, int file, int rank, std::uint8_t colour, std::uint8_t piece) {
  const int i = CellIndex(file, rank);
  TCell& cell = core.Board[static_cast<std::size_t>(i)];
  const TBitboard bit = CellBit(i);
  if (cell.Colour <= cBlack && cell.Piece >= pPawn && cell.Piece <= pKing)
    core.Pieces[cell.Colour][cell.Piece] &= ~bit;
  core.Odd &= ~bit;
  cell = TCell{colour, piece};
  if (colour <= cBlack && piece >= pPawn && piece <= pKing)
    core.Pieces[colour][piece] |= bit;
  else if (piece != pNone)  // a cell with no piece is empty, whatever its colour
    core.Odd |= bit;
}

void ClearSquare(TPositionCore& core, int file, int rank) {
  SetSquare(core, file, rank, cNone, pNone);
}

std::uint8_t PieceAt(const TPositionCore& core, int file, int rank) {
  return core.Board[CellIndex(file, rank)].Piece;
}

std::uint8_t ColourAt(const TPositionCore& core, int file, int rank) {
  return core.Board[CellIndex(file, rank)].Colour;
}

bool SquareHolds(const TPositionCore& core, int file, int rank, std::uint8_t colour,
                 std::uint8_t piece) {
  const TCell& cell = core.Board[CellIndex(file, rank)];
  return cell.Piece == piece && cell.Colour == colour;
}

void ClearBoard(TPositionCore& core) {
  core.Board.fill(TCell{});
  for (auto& side : core.Pieces) side.fill(0);
  core.Odd = 0;
}

void SetStartPosition(TPositionCore& core) {
  core = kStartCore;
}

void SetSideToMove(TPositionCore& core, std::uint8_t colour) {
  core.SideToMove = colour;
}
std::uint8_t SideToMove(const TPositionCore& core) {
  return core.SideToMove;
}

void SetCastling(TPositionCore& core, int colour, int wing, bool value) {
  core.CastlingRights[CastlingIndex(colour, wing)] = value;
}

bool Castling(const TPositionCore& core, int colour, int wing) {
  return core.CastlingRights[CastlingIndex(colour, wing)];
}

void SetEnPassantFile(TPositionCore& core, std::uint8_t file) {
  core.EnPassantFile = file;
}
void SetMoveNumber(TPositionCore& core, std::int16_t number) {
  core.MoveNumber = number;
}
std::int16_t MoveNumber(const TPositionCore& core) {
  return core.MoveNumber;
}

}  // namespace bq
