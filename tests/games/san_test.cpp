// SAN as games write it, and as we write it.
#include <gtest/gtest.h>

#include <string>

#include "games/fen.h"
#include "games/san.h"

namespace bq {
namespace {

TPositionCore Position(const char* fen) {
  TGameState state;
  std::string why;
  EXPECT_TRUE(ReadFEN(fen, state, &why)) << fen << ": " << why;
  return state.Core;
}

// The move `text` names, written back in SAN; or "refused: WHY".
std::string Read(const TPositionCore& core, const std::string& text) {
  TMove move;
  std::string why;
  if (!ReadSAN(core, text, move, &why)) return "refused: " + why;
  std::string san;
  AppendSAN(san, core, move);
  return san;
}

// Three white knights reach e4; rooks on d2 and d7 reach d4; pawns may
// promote on b8 and c8, take en passant on e6, and the king may castle.
constexpr const char* kBusy = "1r5k/1PPR4/8/2N1pPN1/8/2N5/3R4/R3K3 w Q e6";

TEST(San, ReadsEveryWayGamesWriteMoves) {
  const TPositionCore core = Position(kBusy);
  EXPECT_EQ(Read(core, "fxe6"), "fxe6");  // en passant
  EXPECT_EQ(Read(core, "f5xe6e"), "refused: not a move in SAN");
  EXPECT_EQ(Read(core, "O-O-O"), "O-O-O");
  EXPECT_EQ(Read(core, "0-0-0+!?"), "O-O-O");
  EXPECT_EQ(Read(core, "c8=Q+"), "c8=Q+");
  EXPECT_EQ(Read(core, "c8N"), "c8=N");
  EXPECT_EQ(Read(core, "bxa8=q"), "refused: no white pawn can reach a8");
  EXPECT_EQ(Read(core, "bxa8q"), "refused: not a move in SAN");
  EXPECT_EQ(Read(core, "b8=R"), "refused: no white pawn can reach b8");
  EXPECT_EQ(Read(core, "c7c8=B"), "c8=B");  // over-specified
  EXPECT_EQ(Read(core, "Pc8=B"), "c8=B");
  EXPECT_EQ(Read(core, "N3e4"), "N3e4");
  EXPECT_EQ(Read(core, "Nc5e4"), "Nc5e4");
  EXPECT_EQ(Read(core, "Nge4"), "Nge4");
  EXPECT_EQ(Read(core, "Ng5-e4"), "Nge4");
  EXPECT_EQ(Read(core, "Nc5:e4"), "Nc5e4");
  EXPECT_EQ(Read(core, "R2d4"), "R2d4");
  EXPECT_EQ(Read(core, "Rdd4"),
            "refused: ambiguous: the white rooks on d2 and d7 can both reach d4");
  EXPECT_EQ(Read(core, "Ne4"),
            "refused: ambiguous: the white knights on c3, c5 and g5 can all reach e4");
  EXPECT_EQ(Read(core, "Nce4"),
            "refused: ambiguous: the white knights on c3 and c5 can both reach e4");
}

TEST(San, RefusesWithTheReason) {
  const TPositionCore core = Position(kBusy);
  EXPECT_EQ(Read(core, "Nh1"), "refused: no white knight can reach h1");
  EXPECT_EQ(Read(core, "O-O"), "refused: white cannot castle kingside here");
  EXPECT_EQ(Read(core, "c8"),
            "refused: a pawn that reaches the last rank must promote (=Q, =R, =B or =N)");
  EXPECT_EQ(Read(core, "f6=Q"), "refused: only a pawn that reaches the last rank promotes");
  EXPECT_EQ(Read(core, "c8=K"), "refused: not a move in SAN");
  for (const char* text : {"", "N", "Nf9", "e4e", "O-O-O-O", "Zf3", "--", "e8=", "1-0"})
    EXPECT_EQ(Read(core, text), "refused: not a move in SAN") << text;
  // The knight on d2 shields its king from the bishop.
  const TPositionCore pinned = Position("4k3/8/8/b7/8/8/3N4/4K3 w - -");
  EXPECT_EQ(Read(pinned, "Nf3"), "refused: it would leave the white king in check");
}

TEST(San, WritesChecksMatesAndOtherLetters) {
  const TPositionCore mate = Position("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  EXPECT_EQ(Read(mate, "Ra8"), "Ra8#");
  EXPECT_EQ(Read(mate, "Re1"), "Re1");
  EXPECT_EQ(Read(mate, "Ra7"), "Ra7");
  const TPositionCore check = Position("6k1/5p1p/8/8/8/8/8/R5K1 w - -");
  EXPECT_EQ(Read(check, "Ra8"), "Ra8+");
  const TPositionCore core = Position(kBusy);
  TMove move;
  ASSERT_TRUE(ReadSAN(core, "N3e4", move, nullptr));
  std::string german;
  AppendSAN(german, core, move, "_BSLTDK");
  EXPECT_EQ(german, "S3e4");
}

// Every legal move, written and read back, is the same move: two moves
// deep from positions rich in castling, promotions and pins.
TEST(San, EveryLegalMoveReadsBackAsItself) {
  const auto roundTrip = [](const TPositionCore& core, TMove move) {
    std::string san;
    AppendSAN(san, core, move);
    TMove back;
    EXPECT_TRUE(ReadSAN(core, san, back, nullptr) && back == move) << san;
  };
  for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", kBusy}) {
    SCOPED_TRACE(fen);
    const TPositionCore start = Position(fen);
    TMoveList first;
    GenerateMoves(start, first);
    for (const TMove m : first) {
      roundTrip(start, m);
      TPositionCore next = start;
      MakeMove(next, m);
      TMoveList replies;
      GenerateMoves(next, replies);
      for (const TMove r : replies) roundTrip(next, r);
    }
  }
}

}  // namespace
}  // namespace bq
