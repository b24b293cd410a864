#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "chess/validation.h"
#include "chess_test_util.h"

namespace bq {
namespace {

using test::DescribeIllegality;
using test::FieldsOf;
using test::Legal;

TEST(Legality, Material) {
  EXPECT_TRUE(Legal("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/8/8 w - -"));
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/8/K3K3 w - -"));
  EXPECT_FALSE(Legal("4K3/8/8/8/8/8/8/8 b - -"));
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/PPPPPPPP/P3K3 w - -"));     // nine pawns
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - -"));    // eight pawns, second queen
  EXPECT_TRUE(Legal("4k3/8/8/8/8/8/PPPPPPP1/QQ2K3 w - -"));     // seven pawns, two queens
  EXPECT_TRUE(Legal("4k3/8/8/8/8/8/PPPPPPPP/RNBQKBNR w - -"));  // a full army
  EXPECT_FALSE(Legal("4k3/8/8/8/8/N7/PPPPPPPP/RNBQKBNR w - -"));
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/pppppppp/p3K3 b - -"));  // the same for Black
  EXPECT_TRUE(Legal("P3k3/8/8/8/8/8/8/p3K3 w - -"));         // pawns on the back ranks
  EXPECT_EQ(DescribeIllegality(FieldsOf("4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - -")),
            "White has too many promoted pieces (8 pawns and 1 promoted piece, at most 8 "
            "together)");
  EXPECT_EQ(DescribeIllegality(FieldsOf("4k3/8/8/8/8/8/8/K3K3 w - -")), "White has 2 kings");
  EXPECT_EQ(DescribeIllegality(FieldsOf("4K3/8/8/8/8/8/8/8 b - -")), "Black has no king");
}

TEST(Legality, CastlingRightsNeedKingAndRook) {
  TPositionCore core = FieldsOf("r3k2r/8/8/8/8/8/8/R3K3 w - -");
  EXPECT_TRUE(Legal(core));
  SetCastling(core, cWhite, 0, true);
  SetCastling(core, cBlack, 0, true);
  SetCastling(core, cBlack, 1, true);
  EXPECT_TRUE(Legal(core));
  SetCastling(core, cWhite, 1, true);
  EXPECT_FALSE(Legal(core));
  EXPECT_EQ(DescribeIllegality(core), "White may castle king side but has no rook on h1");
  core = FieldsOf("r2k3r/8/8/8/8/8/8/4K3 w - -");
  SetCastling(core, cBlack, 0, true);
  EXPECT_EQ(DescribeIllegality(core), "Black may castle queen side but its king is not on e8");
}

TEST(Legality, SideNotToMoveMustNotBeInCheck) {
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/8/K3R3 w - -"));
  EXPECT_TRUE(Legal("4k3/8/8/8/8/8/8/K3R3 b - -"));
  EXPECT_TRUE(Legal("4k3/4p3/8/8/8/8/8/K3R3 w - -"));  // the file is blocked
  EXPECT_FALSE(Legal("8/8/8/3kK3/8/8/8/8 w - -"));
  EXPECT_FALSE(Legal("8/8/8/3kK3/8/8/8/8 b - -"));
  EXPECT_FALSE(Legal("8/8/8/4k3/3P4/8/8/K7 w - -"));   // pawn d4 attacks e5
  EXPECT_TRUE(Legal("8/8/3P4/4k3/8/8/8/K7 w - -"));    // pawn d6 does not
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/3p4/4K3 b - -"));  // pawn d2 attacks e1
  EXPECT_TRUE(Legal("4k3/8/8/8/8/8/4p3/4K3 b - -"));   // pawn e2 does not
  EXPECT_FALSE(Legal("k7/8/1N6/8/8/8/8/7K w - -"));    // knight check
  EXPECT_FALSE(Legal("k7/8/8/8/8/8/8/K6B w - -"));     // along the long diagonal
  EXPECT_EQ(DescribeIllegality(FieldsOf("4k3/8/8/8/8/8/8/K3R3 w - -")),
            "White is to move and Black's king is in check (rook on e1)");
}

// Independent attack test: does any piece of `by` attack (f, r)?
bool Attacked(const TPositionCore& core, int f, int r, std::uint8_t by) {
  for (int pf = 1; pf <= 8; ++pf) {
    for (int pr = 1; pr <= 8; ++pr) {
      if (ColourAt(core, pf, pr) != by || PieceAt(core, pf, pr) == pNone) continue;
      const int df = f - pf, dr = r - pr, af = std::abs(df), ar = std::abs(dr);
      auto clear = [&] {  // nothing between the piece and the square
        const int sf = (df > 0) - (df < 0), sr = (dr > 0) - (dr < 0);
        for (int x = pf + sf, y = pr + sr; x != f || y != r; x += sf, y += sr)
          if (PieceAt(core, x, y) != pNone) return false;
        return true;
      };
      const bool line = af == 0 || ar == 0, diag = af == ar;
      switch (PieceAt(core, pf, pr)) {
        case pPawn:
          if (af == 1 && dr == (by == cWhite ? 1 : -1)) return true;
          break;
        case pKnight:
          if (af * ar == 2) return true;
          break;
        case pBishop:
          if (diag && clear()) return true;
          break;
        case pRook:
          if (line && clear()) return true;
          break;
        case pQueen:
          if ((line || diag) && clear()) return true;
          break;
        case pKing:
          if (af <= 1 && ar <= 1) return true;
          break;
      }
    }
  }
  return false;
}

TEST(Legality, AgreesWithDescriptionAndAnIndependentAttackTest) {
  std::mt19937 rng(20240611);
  TPosition reused;
  int legal = 0;
  for (int i = 0; i < 20000; ++i) {
    TPositionCore core;
    ClearBoard(core);
    auto put = [&](std::uint8_t colour, std::uint8_t piece) {
      SetSquare(core, static_cast<int>(rng() % 8) + 1, static_cast<int>(rng() % 8) + 1, colour,
                piece);
    };
    put(cWhite, pKing);
    put(cBlack, pKing);
    if (rng() % 20 == 0) put(static_cast<std::uint8_t>(rng() % 2), pKing);
    const int extra = static_cast<int>(rng() % 24);
    for (int k = 0; k < extra; ++k)
      put(static_cast<std::uint8_t>(rng() % 2), static_cast<std::uint8_t>(rng() % 5 + 1));
    for (int k = 0; k < 4; ++k) core.CastlingRights[k] = rng() % 6 == 0;
    core.SideToMove = static_cast<std::uint8_t>(rng() % 2);

    reused.Core = core;
    const bool result = IsLegalPosition(reused);
    ASSERT_EQ(result, test::Legal(core));
    const std::string why = DescribeIllegality(core);
    ASSERT_EQ(result, why.empty());
    // Material and castling stand: the king's safety alone decides.
    if (result || why.find("in check") != std::string::npos) {
      const int king = LowestCell(core.Pieces[OppositeColour(core.SideToMove)][pKing]);
      ASSERT_EQ(result, !Attacked(core, king / 8 + 1, king % 8 + 1, core.SideToMove)) << i;
    }
    legal += result;
  }
  EXPECT_GT(legal, 1000);
}

TEST(Legality, GarbageInTheCoreIsRefusedSafely) {
  TPositionCore core = FieldsOf("4k3/8/8/8/8/8/8/4K3 w - -");
  core.SideToMove = 2;
  EXPECT_FALSE(Legal(core));
  core.SideToMove = cWhite;
  SetSquare(core, 1, 1, cNone, pRook);
  EXPECT_FALSE(Legal(core));
  SetSquare(core, 1, 1, cWhite, 9);
  EXPECT_FALSE(Legal(core));
}

}  // namespace
}  // namespace bq
