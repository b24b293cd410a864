// Perft: the number of leaf positions a few moves deep, against the
// published counts of positions chosen for castling, en passant,
// promotions, pins and checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "games/fen.h"
#include "games/movegen.h"

namespace bq {
namespace {

struct TPerftCase {
  const char* Fen;
  std::vector<std::uint64_t> Counts;  // depth 1, 2, ...
};

const TPerftCase kCases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", {20, 400, 8902, 197281, 4865609}},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
     {48, 2039, 97862, 4085603}},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812, 43238, 674624}},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", {6, 264, 9467, 422333}},
    // The published position has d2 empty; the counts are those of this one.
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", {44, 1486, 62379, 2103487}},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
     {46, 2079, 89890, 3894594}},
};

TEST(Perft, PublishedCountsOfTheSixPositions) {
  for (const TPerftCase& c : kCases) {
    TGameState state;
    std::string why;
    ASSERT_TRUE(ReadFEN(c.Fen, state, &why)) << c.Fen << ": " << why;
    for (std::size_t depth = 1; depth <= c.Counts.size(); ++depth)
      EXPECT_EQ(Perft(state.Core, static_cast<int>(depth)), c.Counts[depth - 1])
          << c.Fen << " at depth " << depth;
  }
}

}  // namespace
}  // namespace bq
