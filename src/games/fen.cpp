#include "games/fen.h"

#include <vector>

#include "chess/parser.h"
#include "games/movegen.h"
#include "games/san.h"

namespace bq {

namespace {

constexpr TBitboard kBackRanks = 0x8181818181818181ull;

bool Refuse(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    fields.push_back(text.substr(start, i - start));
  }
  return fields;
}

// A counter field of at most `limit`; -1 when it is no such number.
long Counter(std::string_view field, long limit) {
  if (field.empty() || field.size() > 9) return -1;
  long n = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n <= limit ? n : -1;
}

bool FitsSide(std::string_view ep, std::uint8_t side) {
  if (ep == "-") return true;
  return ep.size() == 2 && ep[0] >= 'a' && ep[0] <= 'h' && ep[1] == (side == cWhite ? '6' : '3');
}

}  // namespace

bool ReadFEN(std::string_view fen, TGameState& state, std::string* why) {
  const std::vector<std::string_view> f = Fields(fen);
  if (f.size() < 4 || f.size() > 6) return Refuse(why, "a FEN has 4 to 6 fields");
  const std::string fields = std::string(f[0]) + ' ' + std::string(f[1]) + ' ' + std::string(f[2]) +
                             ' ' + std::string(f[3]);
  TPosition rec;
  InitPosition(rec);
  std::string reason, illegal;
  if (!ReadEPDLine(rec, fields, &reason, &illegal)) return Refuse(why, reason);
  if (!illegal.empty()) return Refuse(why, "the position cannot occur in a game (" + illegal + ")");
  TPositionCore& core = rec.Core;
  if ((core.Pieces[cWhite][pPawn] | core.Pieces[cBlack][pPawn]) & kBackRanks)
    return Refuse(why, "a pawn stands on the first or last rank");
  if (!FitsSide(f[3], core.SideToMove))
    return Refuse(why, "en-passant square " + std::string(f[3]) + " does not fit the side to move");
  SettleEnPassant(core);
  const long halfMoves = f.size() > 4 ? Counter(f[4], 1000000) : 0;
  if (halfMoves < 0) return Refuse(why, "halfmove clock " + std::string(f[4]) + " is no number");
  const long number = f.size() > 5 ? Counter(f[5], 32767) : 1;
  if (number < 0) return Refuse(why, "move number " + std::string(f[5]) + " is not 1 to 32767");
  core.MoveNumber = static_cast<std::int16_t>(number == 0 ? 1 : number);
  state.Core = core;
  state.HalfMoves = static_cast<int>(halfMoves);
  return true;
}

}  // namespace bq
