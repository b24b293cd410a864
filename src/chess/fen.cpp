#include "chess/fen.h"

namespace bq {

namespace {

constexpr char kLetters[2][7] = {{'?', 'P', 'N', 'B', 'R', 'Q', 'K'},
                                 {'?', 'p', 'n', 'b', 'r', 'q', 'k'}};

void AppendPlacement(std::string& out, const TPositionCore& core) {
  for (int rank = 8; rank >= 1; --rank) {
    int empty = 0;
    for (int file = 1; file <= 8; ++file) {
      const TCell cell = core.Board[static_cast<std::size_t>(CellOf(file, rank))];
      if (cell.Piece >= pPawn && cell.Piece <= pKing && cell.Colour <= cBlack) {
        if (empty > 0) out += static_cast<char>('0' + empty);
        empty = 0;
        out += kLetters[cell.Colour][cell.Piece];
      } else {
        ++empty;
      }
    }
    if (empty > 0) out += static_cast<char>('0' + empty);
    if (rank > 1) out += '/';
  }
}

}  // namespace

std::string EPDFields(const TPositionCore& core) {
  std::string out;
  AppendPlacement(out, core);
  out += core.SideToMove == cBlack ? " b " : " w ";
  const std::size_t castling = out.size();
  constexpr struct {
    std::size_t Right;
    char Letter;
  } kOrder[] = {{1, 'K'}, {0, 'Q'}, {3, 'k'}, {2, 'q'}};
  for (const auto& right : kOrder)
    if (core.CastlingRights[right.Right]) out += right.Letter;
  if (out.size() == castling) out += '-';
  out += ' ';
  if (core.EnPassantFile >= 1 && core.EnPassantFile <= 8) {
    out += static_cast<char>('a' + core.EnPassantFile - 1);
    out += core.SideToMove == cBlack ? '3' : '6';
  } else {
    out += '-';
  }
  return out;
}

}  // namespace bq
