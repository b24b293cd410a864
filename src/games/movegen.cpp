#include "games/movegen.h"

#include <bit>

#include "chess/attacks.h"

namespace bq {

namespace {

constexpr TBitboard kRank1 = 0x0101010101010101ull;
constexpr TBitboard kRank8 = kRank1 << 7;

// Castling rights lost when a move leaves from or arrives on a cell:
// bit i for CastlingRights[i] (WQ, WK, BQ, BK).
constexpr std::array<std::uint8_t, 64> kRightsLost = [] {
  std::array<std::uint8_t, 64> lost{};
  lost[CellOf(1, 1)] = 1;
  lost[CellOf(5, 1)] = 1 | 2;
  lost[CellOf(8, 1)] = 2;
  lost[CellOf(1, 8)] = 4;
  lost[CellOf(5, 8)] = 4 | 8;
  lost[CellOf(8, 8)] = 8;
  return lost;
}();

// One castling: the right's index, the king's and the rook's cells, the
// cells that must be empty and those the king crosses or lands on.
struct TCastling {
  std::size_t Right;
  int KingFrom, KingTo, RookFrom, RookTo;
  TBitboard Empty;
  TBitboard Safe;
};

constexpr TBitboard RankBits(int rank, std::initializer_list<int> files) {
  TBitboard b = 0;
  for (const int f : files) b |= CellBit(CellOf(f, rank));
  return b;
}

constexpr TCastling MakeCastling(std::uint8_t colour, bool kingside) {
  const int r = colour == cWhite ? 1 : 8;
  const std::size_t right = colour * 2u + (kingside ? 1 : 0);
  if (kingside)
    return {right,        CellOf(5, r),        CellOf(7, r),       CellOf(8, r),
            CellOf(6, r), RankBits(r, {6, 7}), RankBits(r, {6, 7})};
  return {right,        CellOf(5, r),           CellOf(3, r),       CellOf(1, r),
          CellOf(4, r), RankBits(r, {2, 3, 4}), RankBits(r, {3, 4})};
}

constexpr std::array<TCastling, 4> kCastlings = {
    MakeCastling(cWhite, false), MakeCastling(cWhite, true), MakeCastling(cBlack, false),
    MakeCastling(cBlack, true)};

// The cells strictly between two cells on one line; 0 when they share none.
TBitboard Between(int a, int b) {
  const int d = kAttacks.Direction[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
  if (d % 2 == 0) return 0;  // no line, or a knight's jump
  const auto& from = kAttacks.Ray[static_cast<std::size_t>(a)];
  const auto& to = kAttacks.Ray[static_cast<std::size_t>(b)];
  return from[static_cast<std::size_t>(d)] & ~to[static_cast<std::size_t>(d)] & ~CellBit(b);
}

// The line from the king through a cell and beyond: where a piece pinned
// on that cell may go.
TBitboard PinLine(int king, int cell) {
  const int d = kAttacks.Direction[static_cast<std::size_t>(king)][static_cast<std::size_t>(cell)];
  return kAttacks.Ray[static_cast<std::size_t>(king)][static_cast<std::size_t>(d)];
}

int KingCell(const TPositionCore& core, std::uint8_t colour) {
  return LowestCell(core.Pieces[colour][pKing]);
}

// The side to move's view of the board, worked out once per generation.
struct TScene {
  std::uint8_t Us, Them;
  TBitboard Own, Occupied;
  int King;
  TBitboard Checkers;
  TBitboard Target;  // where a piece other than the king may go: off own pieces, and
                     // onto the checker or between it and the king when in check
  TBitboard Pinned = 0;
};

TScene MakeScene(const TPositionCore& core) {
  TScene s;
  s.Us = core.SideToMove;
  s.Them = s.Us ^ 1;
  s.Own = SideBits(core, s.Us);
  s.Occupied = s.Own | SideBits(core, s.Them);
  s.King = KingCell(core, s.Us);
  s.Checkers = AttackersOf(core, s.King, s.Them, s.Occupied);
  s.Target = ~s.Own;
  if (s.Checkers != 0) s.Target &= s.Checkers | Between(s.King, LowestCell(s.Checkers));
  const auto& them = core.Pieces[s.Them];
  TBitboard snipers = (RookAttacks(s.King, 0) & (them[pRook] | them[pQueen])) |
                      (BishopAttacks(s.King, 0) & (them[pBishop] | them[pQueen]));
  for (; snipers != 0; snipers &= snipers - 1) {
    const TBitboard between = Between(s.King, LowestCell(snipers)) & s.Occupied;
    if (std::has_single_bit(between) && (between & s.Own) != 0) s.Pinned |= between;
  }
  return s;
}

void Add(TMoveList& list, int from, int to, TMoveKind kind = TMoveKind::Normal,
         std::uint8_t promotion = pNone) {
  list.Moves[list.Size++] =
      TMove{static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), promotion, kind};
}

void AddTargets(TMoveList& list, int from, TBitboard targets) {
  for (; targets != 0; targets &= targets - 1) Add(list, from, LowestCell(targets));
}

void AddKingMoves(const TPositionCore& core, const TScene& s, TMoveList& list) {
  const TBitboard without = s.Occupied & ~CellBit(s.King);
  TBitboard targets = kAttacks.King[static_cast<std::size_t>(s.King)] & ~s.Own;
  for (; targets != 0; targets &= targets - 1) {
    const int to = LowestCell(targets);
    if (AttackersOf(core, to, s.Them, without) == 0) Add(list, s.King, to);
  }
}

void AddPieceMoves(const TPositionCore& core, const TScene& s, TMoveList& list) {
  const auto& own = core.Pieces[s.Us];
  for (TBitboard b = own[pKnight] & ~s.Pinned; b != 0; b &= b - 1) {
    const int from = LowestCell(b);
    AddTargets(list, from, kAttacks.Knight[static_cast<std::size_t>(from)] & s.Target);
  }
  for (TBitboard b = own[pBishop] | own[pRook] | own[pQueen]; b != 0; b &= b - 1) {
    const int from = LowestCell(b);
    const TBitboard bit = CellBit(from);
    TBitboard reach = 0;
    if (bit & (own[pBishop] | own[pQueen])) reach |= BishopAttacks(from, s.Occupied);
    if (bit & (own[pRook] | own[pQueen])) reach |= RookAttacks(from, s.Occupied);
    reach &= s.Target;
    if (bit & s.Pinned) reach &= PinLine(s.King, from);
    AddTargets(list, from, reach);
  }
}

void AddPawnMove(TMoveList& list, int from, int to, TMoveKind kind) {
  if ((CellBit(to) & (kRank1 | kRank8)) == 0) return Add(list, from, to, kind);
  for (const std::uint8_t piece : {pQueen, pRook, pBishop, pKnight})
    Add(list, from, to, kind, piece);
}

// Whether taking en passant from `from` leaves the king safe: the taken
// pawn leaves its cell, which may open a line to the king.
bool EnPassantIsSafe(const TPositionCore& core, const TScene& s, int from, int to) {
  const int taken = s.Us == cWhite ? to - 1 : to + 1;
  const TBitboard occupied = (s.Occupied & ~CellBit(from) & ~CellBit(taken)) | CellBit(to);
  return (AttackersOf(core, s.King, s.Them, occupied) & ~CellBit(taken)) == 0;
}

void AddEnPassant(const TPositionCore& core, const TScene& s, TMoveList& list) {
  const int file = core.EnPassantFile;
  if (file < 1 || file > 8) return;
  const int to = CellOf(file, s.Us == cWhite ? 6 : 3);
  const int taken = s.Us == cWhite ? to - 1 : to + 1;
  if ((core.Pieces[s.Them][pPawn] & CellBit(taken)) == 0 || (s.Occupied & CellBit(to)) != 0) return;
  TBitboard takers = kAttacks.Pawn[static_cast<std::size_t>(s.Them)][static_cast<std::size_t>(to)] &
                     core.Pieces[s.Us][pPawn];
  for (; takers != 0; takers &= takers - 1) {
    const int from = LowestCell(takers);
    if (EnPassantIsSafe(core, s, from, to)) Add(list, from, to, TMoveKind::EnPassant);
  }
}

void AddPawnMoves(const TPositionCore& core, const TScene& s, TMoveList& list) {
  const int step = s.Us == cWhite ? 1 : -1;
  const int startRank = s.Us == cWhite ? 1 : 6;  // rank index of the pawns' home
  const TBitboard enemy = s.Occupied & ~s.Own;
  for (TBitboard b = core.Pieces[s.Us][pPawn]; b != 0; b &= b - 1) {
    const int from = LowestCell(b);
    const TBitboard allowed =
        s.Target & ((CellBit(from) & s.Pinned) ? PinLine(s.King, from) : ~TBitboard{0});
    const int one = from + step;
    if ((s.Occupied & CellBit(one)) == 0) {
      if (allowed & CellBit(one)) AddPawnMove(list, from, one, TMoveKind::Normal);
      const int two = one + step;
      if (RankIndexOf(from) == startRank && (s.Occupied & CellBit(two)) == 0 &&
          (allowed & CellBit(two)))
        Add(list, from, two, TMoveKind::DoublePush);
    }
    TBitboard takes = kAttacks.Pawn[s.Us][static_cast<std::size_t>(from)] & enemy & allowed;
    for (; takes != 0; takes &= takes - 1)
      AddPawnMove(list, from, LowestCell(takes), TMoveKind::Normal);
  }
  AddEnPassant(core, s, list);
}

void AddCastlings(const TPositionCore& core, const TScene& s, TMoveList& list) {
  if (s.Checkers != 0) return;
  for (std::size_t i = s.Us * 2u; i < s.Us * 2u + 2; ++i) {
    const TCastling& c = kCastlings[i];
    if (!core.CastlingRights[c.Right] || s.King != c.KingFrom ||
        (core.Pieces[s.Us][pRook] & CellBit(c.RookFrom)) == 0 || (s.Occupied & c.Empty) != 0)
      continue;
    bool safe = true;
    for (TBitboard b = c.Safe; b != 0 && safe; b &= b - 1)
      safe = AttackersOf(core, LowestCell(b), s.Them, s.Occupied) == 0;
    if (safe) Add(list, c.KingFrom, c.KingTo, TMoveKind::Castle);
  }
}

void MovePiece(TPositionCore& core, int from, int to) {
  const TCell cell = core.Board[static_cast<std::size_t>(from)];
  core.Pieces[cell.Colour][cell.Piece] ^= CellBit(from) | CellBit(to);
  core.Board[static_cast<std::size_t>(to)] = cell;
  core.Board[static_cast<std::size_t>(from)] = TCell{};
}

void RemovePiece(TPositionCore& core, int cell) {
  TCell& c = core.Board[static_cast<std::size_t>(cell)];
  core.Pieces[c.Colour][c.Piece] &= ~CellBit(cell);
  c = TCell{};
}

}  // namespace

void GenerateMoves(const TPositionCore& core, TMoveList& list) {
  list.Size = 0;
  const TScene s = MakeScene(core);
  AddKingMoves(core, s, list);
  if (std::popcount(s.Checkers) > 1) return;
  AddPieceMoves(core, s, list);
  AddPawnMoves(core, s, list);
  AddCastlings(core, s, list);
}

bool InCheck(const TPositionCore& core) {
  const std::uint8_t us = core.SideToMove;
  return AttackersOf(core, KingCell(core, us), us ^ 1, OccupiedBits(core)) != 0;
}

void SettleEnPassant(TPositionCore& core) {
  const int file = core.EnPassantFile;
  if (file == 0) return;
  // Most double steps have no pawn beside them: no need to look further.
  const std::uint8_t us = core.SideToMove;
  const int to = file <= 8 ? CellOf(file, us == cWhite ? 6 : 3) : 0;
  if (file > 8 ||
      (kAttacks.Pawn[us ^ 1][static_cast<std::size_t>(to)] & core.Pieces[us][pPawn]) == 0) {
    core.EnPassantFile = 0;
    return;
  }
  TMoveList list;
  AddEnPassant(core, MakeScene(core), list);
  if (list.Size == 0) core.EnPassantFile = 0;
}

void MakeMove(TPositionCore& core, TMove move) {
  const std::uint8_t us = core.SideToMove;
  if (move.Kind == TMoveKind::EnPassant)
    RemovePiece(core, us == cWhite ? move.To - 1 : move.To + 1);
  else if (core.Board[move.To].Piece != pNone)
    RemovePiece(core, move.To);
  MovePiece(core, move.From, move.To);
  if (move.Promotion != pNone) {
    core.Pieces[us][pPawn] &= ~CellBit(move.To);
    core.Pieces[us][move.Promotion] |= CellBit(move.To);
    core.Board[move.To].Piece = move.Promotion;
  }
  if (move.Kind == TMoveKind::Castle) {
    for (const TCastling& c : kCastlings)
      if (c.KingTo == move.To && c.KingFrom == move.From) MovePiece(core, c.RookFrom, c.RookTo);
  }
  const unsigned lost = kRightsLost[move.From] | kRightsLost[move.To];
  for (std::size_t i = 0; i < 4; ++i)
    if (lost & (1u << i)) core.CastlingRights[i] = false;
  core.EnPassantFile = 0;
  if (us == cBlack) ++core.MoveNumber;
  core.SideToMove = us ^ 1;
  if (move.Kind == TMoveKind::DoublePush) {
    core.EnPassantFile = static_cast<std::uint8_t>(FileIndexOf(move.To) + 1);
    SettleEnPassant(core);
  }
}

std::uint64_t Perft(const TPositionCore& core, int depth) {
  TMoveList list;
  GenerateMoves(core, list);
  if (depth <= 1) return depth == 1 ? list.Size : 1;
  std::uint64_t nodes = 0;
  for (const TMove m : list) {
    TPositionCore next = core;
    MakeMove(next, m);
    nodes += Perft(next, depth - 1);
  }
  return nodes;
}

}  // namespace bq
