// The EPD reader against a naive reference written straight from the
// grammar (one counter per file and rank, words as strings), on many
// made-up lines, usual and bent: both must accept the same lines and give
// the same position and operations.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "chess/parser.h"
#include "chess/validation.h"

namespace bq {
namespace {

struct TReference {
  bool Ok = false;
  TPositionCore Core;
  std::vector<std::vector<std::string>> Operations;  // opcode, then operands
};

// A cursor over the text up to its first NUL.
struct TText {
  std::string S;
  std::size_t I = 0;
  bool End() const { return I >= S.size(); }
  char Peek() const { return End() ? '\0' : S[I]; }
  bool SkipBlanks() {
    const std::size_t from = I;
    while (!End() && (S[I] == ' ' || S[I] == '\r' || S[I] == '\n')) ++I;
    return I != from;
  }
};

bool ReferencePlacement(TText& t, TPositionCore& core) {
  ClearBoard(core);
  int rank = 8, file = 1;
  while (!(rank == 1 && file > 8)) {
    if (t.End()) return false;
    const char c = t.S[t.I++];
    std::uint8_t piece = 0, colour = 0;
    if (T_PGNParserO::PieceFromLetter(c, piece, colour)) {
      if (file > 8 || rank < 1) return false;  // rank 0 would be a range error
      SetSquare(core, file, rank, colour, piece);
      ++file;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 255) return false;  // the 8-bit counter would overflow
    } else if ((c == '/' || c == ' ') && rank >= 1) {
      file = 1;
      --rank;
      if (c == ' ') {
        --t.I;
        rank = 1;
        file = 9;
      }
    } else {
      return false;
    }
  }
  return t.SkipBlanks();
}

bool ReferenceFields(TText& t, TPositionCore& core) {
  if (!ReferencePlacement(t, core) || t.End()) return false;
  if (t.Peek() != 'w' && t.Peek() != 'b') return false;
  core.SideToMove = t.S[t.I++] == 'w' ? cWhite : cBlack;
  if (!t.SkipBlanks() || t.End()) return false;
  core.CastlingRights.fill(false);
  if (t.Peek() == '-') {
    ++t.I;
  } else {
    const char* const letters = "KQkq";
    for (int k = 0; k < 4 && !t.End(); ++k) {
      if (t.Peek() != letters[k]) continue;
      ++t.I;
      const std::uint8_t colour = k < 2 ? cWhite : cBlack;
      const int wing = k % 2 == 0 ? 1 : 0, home = HomeRank(colour);
      if (SquareHolds(core, wing == 1 ? 8 : 1, home, colour, pRook) &&
          SquareHolds(core, 5, home, colour, pKing))
        SetCastling(core, colour, wing, true);
    }
  }
  if (!t.SkipBlanks() || t.End()) return false;
  if (t.Peek() == '-') {
    core.EnPassantFile = 0;
    ++t.I;
  } else {
    const auto c = static_cast<unsigned char>(t.S[t.I++]);
    const int code = c >= 'a' && c <= 'z' ? c - 32 : c;
    if (code < 64) return false;  // would be a range error
    core.EnPassantFile = static_cast<std::uint8_t>(code - 64);
    if (!t.End()) ++t.I;
  }
  return t.End() || t.SkipBlanks();
}

std::string ReferenceWord(TText& t, char& last) {
  std::string word;
  do {
    last = t.S[t.I++];
    if (last != ' ' && last != ';') word += last;
  } while (last != ' ' && last != ';' && !t.End());
  return word;
}

TReference ReferenceRead(const std::string& line) {
  TReference r;
  TText t{line.substr(0, line.find('\0'))};
  SetStartPosition(r.Core);
  r.Ok = ReferenceFields(t, r.Core);
  while (r.Ok && !t.End()) {
    char last = 0;
    r.Operations.push_back({ReferenceWord(t, last)});
    t.SkipBlanks();
    while (!t.End() && last != ';') {
      r.Operations.back().push_back(ReferenceWord(t, last));
      t.SkipBlanks();
    }
  }
  return r;
}

// A usual line, sometimes bent: a short, long or missing row, counters
// near their limits, odd castling and en-passant fields, odd separators,
// then a few characters replaced, inserted or removed.
std::string RandomLine(std::mt19937& rng) {
  static const char* const kRows[] = {"8",     "rnbqkbnr", "pppppppp", "4k3", "3K4",       "2p1P3",
                                      "R3K2R", "r3k2r",    "44",       "7",   "PPPPPPPPP", "1q6"};
  static const char* const kTails[] = {
      " w - -",     " b KQkq e3",      " w Kq - bm e4; id \"a b\";",
      " b - - 0 1", " w KQ h6 c0 x;;", " w - - ; am",
      " w - e",     " b kqKQ -",       " w  -\r\n- id\tx;"};
  std::string line;
  const int rows = 6 + static_cast<int>(rng() % 4);
  for (int r = 0; r < rows; ++r) {
    if (r > 0) line += '/';
    line += kRows[rng() % 12];
  }
  if (rng() % 30 == 0) line += std::string(1 + rng() % 40, '8');
  line += kTails[rng() % 9];
  static const char kNoise[] = "/ 18903KkQqRbNnPp-wWx;\t\r\n\0\xE9@";
  for (int k = static_cast<int>(rng() % 3); k > 0 && !line.empty(); --k) {
    const std::size_t at = rng() % line.size();
    const char c = kNoise[rng() % (sizeof kNoise - 1)];
    switch (rng() % 3) {
      case 0:
        line[at] = c;
        break;
      case 1:
        line.insert(at, 1, c);
        break;
      default:
        line.erase(at, 1);
    }
  }
  return line;
}

TEST(ReferenceReader, AgreesOnEveryLine) {
  std::mt19937 rng(20261208);
  int read = 0;
  for (int i = 0; i < 60000; ++i) {
    const std::string line = RandomLine(rng);
    const TReference expected = ReferenceRead(line);
    TPosition rec;
    InitPosition(rec);
    T_InputO input;
    input.OpenString(line);
    std::string reason;
    const bool fieldsOk = !T_PGNParserO::ReadEPDFields(line, input, rec, &reason);
    ASSERT_EQ(fieldsOk, expected.Ok) << line << ": " << reason;
    EXPECT_EQ(reason.empty(), fieldsOk) << line;
    if (!fieldsOk) continue;
    ++read;
    EXPECT_EQ(rec.Core, expected.Core) << line;

    // The whole line: operations as read, the position kept only when it
    // may stand.
    TPosition whole;
    InitPosition(whole);
    ASSERT_TRUE(ReadEPDLine(whole, line)) << line;
    TPositionCore core = expected.Core;
    if (!CheckLegality(core)) SetStartPosition(core);
    EXPECT_EQ(whole.Core, core) << line;
    ASSERT_EQ(OperationCount(whole), static_cast<int>(expected.Operations.size())) << line;
    for (int n = 1; n <= OperationCount(whole); ++n) {
      const std::vector<std::string>& op = expected.Operations[static_cast<std::size_t>(n - 1)];
      EXPECT_EQ(Opcode(whole, n), op[0]) << line;
      ASSERT_EQ(OperandCount(whole, n) + 1, static_cast<int>(op.size())) << line;
      for (int m = 1; m <= OperandCount(whole, n); ++m)
        EXPECT_EQ(Operand(whole, n, m), op[static_cast<std::size_t>(m)]) << line;
    }
  }
  EXPECT_GT(read, 10000);  // enough lines read to mean something
}

}  // namespace
}  // namespace bq
