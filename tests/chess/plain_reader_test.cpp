// The short ways of reading a line (the plain field reader, the operation
// reader, the counted legality test) against the general ones, on many
// made-up lines: they must agree wherever the short way answers.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

#include "chess/parser.h"
#include "chess/validation.h"
#include "chess_test_util.h"

namespace bq {
namespace {

constexpr char kPieces[] = "PNBRQKpnbrqk";

// A placement of random pieces, empty squares as digits; sometimes bent
// out of shape (a short or long rank, a missing or extra row, a stray
// character) so that both readers see lines they refuse.
std::string RandomPlacement(std::mt19937& rng) {
  std::string out;
  const int bend = static_cast<int>(rng() % 12);
  const int rows = bend == 0 ? 7 : bend == 1 ? 9 : 8;
  for (int r = 0; r < rows; ++r) {
    if (r > 0) out += '/';
    int files = bend == 2 && r == 3 ? 7 : bend == 3 && r == 5 ? 9 : 8;
    int empty = 0;
    for (int f = 0; f < files; ++f) {
      if (rng() % 2 == 0) {
        ++empty;
        continue;
      }
      if (empty > 0) out += static_cast<char>('0' + empty);
      empty = 0;
      out += kPieces[rng() % 12];
    }
    while (empty > 8) {
      out += '8';
      empty -= 8;
    }
    if (empty > 0) out += static_cast<char>('0' + empty);
  }
  if (bend == 4) out[rng() % out.size()] = "x9 0;"[rng() % 5];
  return out;
}

std::string RandomLine(std::mt19937& rng) {
  static const char* const kCastling[] = {"-", "KQkq", "K", "Qk", "kq", "q", "KK", "", "x"};
  static const char* const kPassant[] = {"-", "e3", "a6", "h3", "z9", "e", "-x", "E3"};
  static const char* const kOps[] = {"",
                                     " bm Nf3; id \"x.1\";",
                                     " id \"a b\"; bm e4 d4;",
                                     "  c0 {brace}; ;",
                                     " bm",
                                     " noop; am Qxe7+;",
                                     " \r\nbm\re4;"};
  std::string line = RandomPlacement(rng);
  line += rng() % 20 == 0 ? "  " : " ";
  line += rng() % 2 ? "w" : rng() % 10 ? "b" : "x";
  line += rng() % 20 == 0 ? "\t" : " ";
  line += kCastling[rng() % 9];
  line += rng() % 20 == 0 ? "" : " ";
  line += kPassant[rng() % 8];
  line += kOps[rng() % 7];
  return line;
}

// Pieces counted and located from the board, as the readers note them.
void CountBoard(const TPositionCore& core, TPieceCounts& counts, TPieceCells& cells) {
  counts = {};
  cells = {};
  for (int cell = 0; cell < 64; ++cell) {
    const TCell c = core.Board[static_cast<std::size_t>(cell)];
    if (c.Piece == pNone) continue;
    ++counts[c.Colour][c.Piece];
    cells[c.Colour][c.Piece] |= std::uint64_t{1} << cell;
  }
}

TEST(PlainFieldReader, AgreesWithTheGeneralReader) {
  std::mt19937 rng(20261207);
  int plain = 0;
  for (int i = 0; i < 40000; ++i) {
    const std::string line = RandomLine(rng);
    TPosition general;
    InitPosition(general);
    T_InputO input;
    input.OpenString(line);
    const bool generalError = T_PGNParserO().ReadEPDFields(line, input, general);

    TPositionCore core = general.Core;
    SetStartPosition(core);
    TPieceCounts counts{};
    TPieceCells cells{};
    const char* ops = ReadPlainEPDFields(line, core, counts, cells);
    if (ops == nullptr) continue;
    ++plain;
    ASSERT_FALSE(generalError) << line;
    EXPECT_EQ(core, general.Core) << line;
    // The general reader has taken the blanks after the fields as well.
    std::size_t at = static_cast<std::size_t>(ops - line.data());
    while (at < line.size() && IsEPDBlank(line[at])) ++at;
    EXPECT_EQ(at, input.Position()) << line;
    TPieceCounts expectedCounts;
    TPieceCells expectedCells;
    CountBoard(core, expectedCounts, expectedCells);
    EXPECT_EQ(counts, expectedCounts) << line;
    EXPECT_EQ(cells, expectedCells) << line;
  }
  EXPECT_GT(plain, 1000);  // the short way was taken often enough to mean something
}

TEST(PlainFieldReader, WholeLinesReadAlikeEitherWay) {
  // A doubled first blank sends a line the general way; the record must
  // come out the same.
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string line = RandomLine(rng);
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    const std::string bent = line.substr(0, blank) + " " + line.substr(blank);
    TPosition a, b;
    InitPosition(a);
    InitPosition(b);
    std::string whyA, whyB;
    const bool okA = ReadEPDLine(a, line, &whyA);
    const bool okB = ReadEPDLine(b, bent, &whyB);
    ASSERT_EQ(okA, okB) << line;
    if (!okA) continue;
    EXPECT_EQ(a.Core, b.Core) << line;
    EXPECT_EQ(a.Opcodes, b.Opcodes) << line;
    EXPECT_EQ(a.Operands, b.Operands) << line;
  }
}

TEST(OperationReader, ReadsWhatTheRecordStores) {
  std::mt19937 rng(11);
  const std::string pieces = "ab ;;\r\n\"x";
  for (int i = 0; i < 20000; ++i) {
    std::string ops;
    const std::size_t n = rng() % 24;
    for (std::size_t k = 0; k < n; ++k) ops += pieces[rng() % pieces.size()];
    const std::string line = "4k3/8/8/8/8/8/8/4K3 w - - " + ops;
    TPosition rec;
    InitPosition(rec);
    ASSERT_TRUE(ReadEPDLine(rec, line)) << line;
    std::vector<std::string> opcodes;
    std::vector<std::vector<std::string>> operands;
    TEPDOperationReader reader(ops);
    std::string_view word;
    while (reader.NextOpcode(word)) {
      opcodes.emplace_back(word);
      operands.emplace_back();
      // Every other time, leave the operands unread: the next opcode skips them.
      if (rng() % 2)
        while (reader.NextOperand(word)) operands.back().emplace_back(word);
      else
        operands.back() = {};
    }
    ASSERT_EQ(opcodes, rec.Opcodes) << line;
    for (std::size_t k = 0; k < operands.size(); ++k) {
      if (!operands[k].empty()) {
        EXPECT_EQ(operands[k], rec.Operands[k]) << line;
      }
    }
  }
}

}  // namespace
}  // namespace bq
