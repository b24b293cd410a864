#include "chess/setup.h"

#include <gtest/gtest.h>

#include "chess/fen.h"

namespace bq {
namespace {

TSetup Read(std::string_view line) {
  TSetup setup;
  std::string reason;
  EXPECT_TRUE(ReadSetup(line, setup, &reason)) << reason;
  return setup;
}

TEST(Setup, ReadsWhatTheLineWritesAndRefusesWithTheReadersReason) {
  // Two white kings: the converter would draw the start position.
  const TSetup odd = Read("4k3/8/8/8/8/8/8/K3K3 w - - id \"odd\";");
  EXPECT_EQ(SetupLine(odd), "4k3/8/8/8/8/8/8/K3K3 w - - id \"odd\";");

  TSetup setup = odd;
  std::string reason;
  EXPECT_FALSE(ReadSetup("4k3/8/8/8/8/8/8/K3K3 x - -", setup, &reason));
  EXPECT_EQ(reason, "side to move must be \"w\" or \"b\", found \"x\" at column 22");
  EXPECT_EQ(SetupLine(setup), SetupLine(odd));

  // Rights the pieces do not back are dropped: no rook on h1, no pawn on d5.
  EXPECT_EQ(SetupLine(Read("4k3/8/8/8/8/8/8/R3K3 w KQ d6")), "4k3/8/8/8/8/8/8/R3K3 w Q -");
}

TEST(Setup, CountersLeaveTheOperationsAndComeBackOnlyWhenSet) {
  const std::string line = "4k3/8/8/8/8/8/8/4K3 w - - hmvc 3; bm Kd2; fmvn 20; id \"Ex. 12\";";
  TSetup setup = Read(line);
  EXPECT_EQ(setup.Operations, "bm Kd2; id \"Ex. 12\";");
  EXPECT_EQ(setup.HalfMoveClock, 3);
  EXPECT_EQ(setup.MoveNumber, 20);
  EXPECT_EQ(SetupLine(setup), line);  // untouched operations stay as they were

  setup.HalfMoveClock = 0;
  EXPECT_EQ(SetupLine(setup), "4k3/8/8/8/8/8/8/4K3 w - - bm Kd2; id \"Ex. 12\"; fmvn 20;");
  setup.MoveNumber = 1;
  setup.Operations = "bm Kd2";  // an open operation is closed before the counters
  EXPECT_EQ(SetupLine(setup), "4k3/8/8/8/8/8/8/4K3 w - - bm Kd2");
  setup.MoveNumber = 7;
  EXPECT_EQ(SetupLine(setup), "4k3/8/8/8/8/8/8/4K3 w - - bm Kd2; fmvn 7;");

  // A FEN's counters.
  const TSetup fen = Read("4k3/8/8/8/8/8/8/4K3 b - - 5 40");
  EXPECT_EQ(fen.Operations, "");
  EXPECT_EQ(SetupLine(fen), "4k3/8/8/8/8/8/8/4K3 b - - hmvc 5; fmvn 40;");
}

TEST(Setup, TypedCountersMoveOnceEndedAndValid) {
  TSetup setup = EmptySetup();
  setup.Operations = "bm e4; hmvc 1";
  EXPECT_FALSE(TakeCounters(setup, true));  // still being typed
  setup.Operations = "bm e4; hmvc 12; fmvn x; FMVN 9;";
  EXPECT_TRUE(TakeCounters(setup, true));
  EXPECT_EQ(setup.Operations, "bm e4; fmvn x; ");
  EXPECT_EQ(setup.HalfMoveClock, 12);
  EXPECT_EQ(setup.MoveNumber, 9);
  setup.Operations = "fmvn 0; hmvc 10000; hmvc 4";
  EXPECT_TRUE(TakeCounters(setup, false));
  EXPECT_EQ(setup.Operations, "fmvn 0; hmvc 10000; ");
  EXPECT_EQ(setup.HalfMoveClock, 4);
}

TEST(Setup, EnPassantOnlyBehindAPawnThatCanJustHaveStepped) {
  // White to move: black pawns on a5 and e5 (the squares behind them
  // empty), c5 (c7 holds a pawn) and g6 (not its fourth rank); a white pawn
  // on h5.
  TPositionCore core = Read("4k3/2p5/6p1/p1p1p2P/8/8/8/4K3 w - -").Core;
  EXPECT_EQ(EnPassantFiles(core), (std::vector<int>{1, 5}));
  core.SideToMove = cBlack;  // a white pawn on its fourth rank
  EXPECT_TRUE(EnPassantFiles(core).empty());
  SetSquare(core, 4, 4, cWhite, pPawn);
  EXPECT_EQ(EnPassantFiles(core), (std::vector<int>{4}));
  core.EnPassantFile = 4;
  SetSquare(core, 4, 2, cWhite, pKnight);  // the square it came from is taken
  DropUnbackedRights(core);
  EXPECT_EQ(core.EnPassantFile, 0);
}

}  // namespace
}  // namespace bq
