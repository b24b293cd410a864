#include "games/san.h"

#include <array>
#include <bit>

#include "chess/attacks.h"
#include "chess/letters.h"

namespace bq {

namespace {

constexpr std::array<const char*, 7> kPieceNames = {"",     "pawn",  "knight", "bishop",
                                                    "rook", "queen", "king"};

const char* ColourName(std::uint8_t colour) {
  return colour == cWhite ? "white" : "black";
}

std::string SquareName(int cell) {
  return {static_cast<char>('a' + FileIndexOf(cell)), static_cast<char>('1' + RankIndexOf(cell))};
}

std::uint8_t PieceOfLetter(char c) {
  const std::size_t at = EnglishPieceLetters().find(c);
  return at == std::string_view::npos || at == 0 ? pNone : static_cast<std::uint8_t>(at);
}

// What a SAN text says; -1 where it says nothing.
struct TSanParts {
  std::uint8_t Piece = pPawn;
  int FromFile = -1, FromRank = -1;  // 0..7
  int To = -1;
  std::uint8_t Promotion = pNone;
  int Castle = -1;  // 0 queenside, 1 kingside
};

bool IsFile(char c) {
  return c >= 'a' && c <= 'h';
}
bool IsRank(char c) {
  return c >= '1' && c <= '8';
}

// Takes a promotion piece from the end of t: "=Q", "Q", or "=q".
bool TakePromotion(std::string_view& t, TSanParts& p) {
  if (t.empty()) return true;
  const char last = t.back();
  const bool lower = last == 'n' || last == 'b' || last == 'r' || last == 'q';
  const std::uint8_t piece = PieceOfLetter(lower ? static_cast<char>(last - 'a' + 'A') : last);
  if (piece == pNone) return t.back() != '=';
  if (piece == pPawn || piece == pKing) return false;
  t.remove_suffix(1);
  const bool equals = !t.empty() && t.back() == '=';
  if (equals) t.remove_suffix(1);
  if (lower && !equals) return false;  // "b" alone would be a file
  p.Promotion = piece;
  return true;
}

bool ParseSAN(std::string_view t, TSanParts& p) {
  while (!t.empty() && (t.back() == '+' || t.back() == '#' || t.back() == '!' || t.back() == '?'))
    t.remove_suffix(1);
  if (t == "O-O" || t == "0-0" || t == "O-O-O" || t == "0-0-0") {
    p.Castle = t.size() == 3 ? 1 : 0;
    return true;
  }
  if (!t.empty() && PieceOfLetter(t.front()) != pNone) {
    p.Piece = PieceOfLetter(t.front());
    t.remove_prefix(1);
  }
  if (!TakePromotion(t, p) || t.size() < 2 || !IsFile(t[t.size() - 2]) || !IsRank(t.back()))
    return false;
  p.To = CellOf(t[t.size() - 2] - 'a' + 1, t.back() - '0');
  t.remove_suffix(2);
  if (!t.empty() && IsFile(t.front())) {
    p.FromFile = t.front() - 'a';
    t.remove_prefix(1);
  }
  if (!t.empty() && IsRank(t.front())) {
    p.FromRank = t.front() - '1';
    t.remove_prefix(1);
  }
  if (!t.empty() && (t.front() == 'x' || t.front() == ':' || t.front() == '-')) t.remove_prefix(1);
  return t.empty() && (p.Promotion == pNone || p.Piece == pPawn);
}

// A pawn named without its file moves along the file of its square.
bool Fits(const TPositionCore& core, const TSanParts& p, int from) {
  const int file = p.FromFile >= 0 || p.Piece != pPawn ? p.FromFile : FileIndexOf(p.To);
  return core.Board[static_cast<std::size_t>(from)].Piece == p.Piece &&
         (file < 0 || file == FileIndexOf(from)) &&
         (p.FromRank < 0 || p.FromRank == RankIndexOf(from));
}

// Whether a piece the text may mean could go to its square if checks did
// not count: tells an impossible move from one that exposes the king.
bool ReachesIgnoringChecks(const TPositionCore& core, const TSanParts& p) {
  const std::uint8_t us = core.SideToMove;
  const TBitboard own = SideBits(core, us), occupied = OccupiedBits(core), to = CellBit(p.To);
  if (own & to) return false;
  for (TBitboard b = core.Pieces[us][p.Piece]; b != 0; b &= b - 1) {
    const int from = LowestCell(b);
    if (!Fits(core, p, from)) continue;
    const auto f = static_cast<std::size_t>(from);
    TBitboard reach = 0;
    switch (p.Piece) {
      case pKnight:
        reach = kAttacks.Knight[f];
        break;
      case pBishop:
        reach = BishopAttacks(from, occupied);
        break;
      case pRook:
        reach = RookAttacks(from, occupied);
        break;
      case pQueen:
        reach = BishopAttacks(from, occupied) | RookAttacks(from, occupied);
        break;
      case pKing:
        reach = kAttacks.King[f];
        break;
      default: {
        const int step = us == cWhite ? 1 : -1;
        const bool free = (occupied & CellBit(from + step)) == 0;
        reach = (occupied & ~own & kAttacks.Pawn[us][f]) | (free ? CellBit(from + step) : 0);
        const bool home = RankIndexOf(from) == (us == cWhite ? 1 : 6);
        if (free && home && (occupied & CellBit(from + 2 * step)) == 0)
          reach |= CellBit(from + 2 * step);
      }
    }
    if (reach & to) return true;
  }
  return false;
}

bool Refuse(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

std::string NoMoveReason(const TPositionCore& core, const TSanParts& p) {
  const std::string side = ColourName(core.SideToMove);
  if (p.Castle >= 0)
    return side + " cannot castle " + (p.Castle == 1 ? "kingside" : "queenside") + " here";
  if (ReachesIgnoringChecks(core, p)) return "it would leave the " + side + " king in check";
  return "no " + side + " " + kPieceNames[p.Piece] + " can reach " + SquareName(p.To);
}

std::string AmbiguityReason(const TPositionCore& core, const TSanParts& p,
                            const TMoveList& matches) {
  std::string text = std::string("ambiguous: the ") + ColourName(core.SideToMove) + " " +
                     kPieceNames[p.Piece] + "s on ";
  for (std::size_t i = 0; i < matches.Size; ++i) {
    if (i > 0) text += i + 1 == matches.Size ? " and " : ", ";
    text += SquareName(matches.Moves[i].From);
  }
  return text + (matches.Size == 2 ? " can both reach " : " can all reach ") + SquareName(p.To);
}

}  // namespace

std::string_view EnglishPieceLetters() {
  return {EnglishLetterSet().Letters.data(), pKing + 1};
}

bool ReadSAN(const TPositionCore& core, std::string_view text, TMove& move, std::string* why) {
  TSanParts p;
  if (!ParseSAN(text, p)) return Refuse(why, "not a move in SAN");
  const bool lastRank = p.To >= 0 && (RankIndexOf(p.To) == 0 || RankIndexOf(p.To) == 7);
  if (p.Promotion != pNone && !lastRank)
    return Refuse(why, "only a pawn that reaches the last rank promotes");
  if (p.Piece == pPawn && p.Castle < 0 && lastRank && p.Promotion == pNone)
    return Refuse(why, "a pawn that reaches the last rank must promote (=Q, =R, =B or =N)");
  TMoveList legal, matches;
  GenerateMoves(core, legal);
  for (const TMove m : legal) {
    const bool castle = m.Kind == TMoveKind::Castle;
    if (p.Castle >= 0
            ? castle && (FileIndexOf(m.To) == 6) == (p.Castle == 1)
            : !castle && m.To == p.To && m.Promotion == p.Promotion && Fits(core, p, m.From))
      matches.Moves[matches.Size++] = m;
  }
  if (matches.Size == 0) return Refuse(why, NoMoveReason(core, p));
  if (matches.Size > 1) return Refuse(why, AmbiguityReason(core, p, matches));
  move = matches.Moves[0];
  return true;
}

void AppendSAN(std::string& out, const TPositionCore& core, TMove move, std::string_view letters) {
  if (move.Kind == TMoveKind::Castle) {
    out += FileIndexOf(move.To) == 6 ? "O-O" : "O-O-O";
  } else {
    const std::uint8_t piece = core.Board[move.From].Piece;
    const bool capture = core.Board[move.To].Piece != pNone || move.Kind == TMoveKind::EnPassant;
    if (piece == pPawn) {
      if (capture) out += static_cast<char>('a' + FileIndexOf(move.From));
    } else {
      out += letters[piece];
      // Others of the same kind that may go to the same square decide what
      // names the piece: its file, else its rank, else both.
      bool rival = false, sameFile = false, sameRank = false;
      if (std::popcount(core.Pieces[core.SideToMove][piece]) > 1) {
        TMoveList legal;
        GenerateMoves(core, legal);
        for (const TMove m : legal) {
          if (m.To != move.To || m.From == move.From || core.Board[m.From].Piece != piece) continue;
          rival = true;
          sameFile |= FileIndexOf(m.From) == FileIndexOf(move.From);
          sameRank |= RankIndexOf(m.From) == RankIndexOf(move.From);
        }
      }
      if (rival && (!sameFile || sameRank)) out += static_cast<char>('a' + FileIndexOf(move.From));
      if (rival && sameFile) out += static_cast<char>('1' + RankIndexOf(move.From));
    }
    if (capture) out += 'x';
    out += SquareName(move.To);
    if (move.Promotion != pNone) {
      out += '=';
      out += letters[move.Promotion];
    }
  }
  TPositionCore after = core;
  MakeMove(after, move);
  if (!InCheck(after)) return;
  TMoveList replies;
  GenerateMoves(after, replies);
  out += replies.Size == 0 ? '#' : '+';
}

}  // namespace bq
