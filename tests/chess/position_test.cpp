#include <gtest/gtest.h>

#include "chess/parser.h"
#include "chess/position.h"
#include "chess_test_util.h"
#include "support/errors.h"

namespace bq {
namespace {

using test::Read;

TEST(Position, InitGivesStartPosition) {
  TPosition rec;
  AddOperation(rec, "junk");
  InitPosition(rec);
  EXPECT_TRUE(SquareHolds(rec.Core, 5, 1, cWhite, pKing));
  EXPECT_TRUE(SquareHolds(rec.Core, 4, 8, cBlack, pQueen));
  EXPECT_EQ(PieceAt(rec.Core, 1, 4), pNone);
  EXPECT_EQ(ColourAt(rec.Core, 1, 4), cNone);
  EXPECT_TRUE(SquareHolds(rec.Core, 2, 1, cWhite, pKnight));
  EXPECT_TRUE(SquareHolds(rec.Core, 6, 8, cBlack, pBishop));
  EXPECT_TRUE(SquareHolds(rec.Core, 8, 7, cBlack, pPawn));
  EXPECT_EQ(SideToMove(rec.Core), cWhite);
  for (int c = 0; c <= 1; ++c)
    for (int w = 0; w <= 1; ++w) EXPECT_TRUE(Castling(rec.Core, c, w));
  EXPECT_EQ(rec.Core.EnPassantFile, 0);
  EXPECT_EQ(MoveNumber(rec.Core), 1);
  EXPECT_EQ(OperationCount(rec), 0);
}

TEST(Position, AccessorsRefuseSquaresOffTheBoard) {
  TPositionCore core;
  const std::pair<int, int> squares[] = {{0, 1}, {9, 1}, {1, 0}, {1, 9}, {-1, -1}};
  for (auto [f, r] : squares) {
    EXPECT_THROW(SetSquare(core, f, r, cWhite, pPawn), TRunError);
    EXPECT_THROW(PieceAt(core, f, r), TRunError);
    EXPECT_THROW(ColourAt(core, f, r), TRunError);
  }
  EXPECT_THROW(SetCastling(core, 2, 0, true), TRunError);
  EXPECT_THROW(Castling(core, 2, 1), TRunError);
  try {
    ClearSquare(core, 9, 9);
    FAIL();
  } catch (const TRunError& e) {
    EXPECT_STREQ(e.what(), "Range check error");
  }
}

TEST(Position, CopiesAreDeepAndRebound) {
  TPosition a = Read("4k3/8/8/8/8/8/8/4K3 w - - bm e4 d4;");
  TPosition b(a);
  TPosition c;
  c = a;
  AddOperand(a, 1, "c4");
  ClearOperations(a);
  EXPECT_EQ(OperandText(b, 1), "e4 d4");
  EXPECT_EQ(FindOperation(c, "bm"), 1);

  TPosition dest = Read("8/8/8/8/8/8/8/8 w - - a 1; b 2; c 3;");
  TPosition src = Read("4k3/8/8/8/8/8/8/4K3 b - - bm e4 d4;");
  AssignPosition(dest, src);
  AddOperand(src, 1, "x");
  AddOperation(src, "id");
  EXPECT_EQ(OperationCount(dest), 1);
  EXPECT_EQ(OperandCount(dest, 1), 2);
  EXPECT_EQ(dest.Core, src.Core);
}

TEST(Position, EndEditRestoresAnImpossiblePosition) {
  TPosition rec = Read("4k3/8/8/8/8/8/8/4K3 w - - id x;");
  const TPositionCore before = rec.Core;
  BeginEdit(rec);
  SetSquare(rec.Core, 1, 1, cWhite, pKing);  // a second White king
  EndEdit(rec, true);
  EXPECT_EQ(rec.Core, before);
  EXPECT_EQ(OperationCount(rec), 1);
  EXPECT_FALSE(rec.EditOpen);

  BeginEdit(rec);
  SetSquare(rec.Core, 1, 1, cWhite, pRook);  // legal, but not kept
  EndEdit(rec, false);
  EXPECT_EQ(rec.Core, before);

  BeginEdit(rec);
  SetSquare(rec.Core, 1, 1, cWhite, pRook);
  EndEdit(rec, true);
  EXPECT_TRUE(SquareHolds(rec.Core, 1, 1, cWhite, pRook));

  EndEdit(rec, false);  // no edit open: nothing to restore
  EXPECT_TRUE(SquareHolds(rec.Core, 1, 1, cWhite, pRook));
  FreePosition(rec);
  EXPECT_EQ(OperationCount(rec), 0);
}

TEST(Operations, FindAndJoin) {
  TPosition rec = Read("4k3/8/8/8/8/8/8/4K3 w - - bm e4 d4; id x; bm a;");
  EXPECT_EQ(FindOperation(rec, "bm"), 1);
  EXPECT_EQ(FindOperation(rec, "BM"), 1);
  EXPECT_EQ(FindOperation(rec, "ID"), 2);
  EXPECT_EQ(FindOperation(rec, "am"), 0);
  EXPECT_FALSE(HasOperation(rec, "b"));
  EXPECT_EQ(OperandText(rec, 1), "e4 d4");
  EXPECT_EQ(Operand(rec, 3, 1), "a");

  TPosition joins;
  const int n = AddOperation(joins, "c0");
  for (const char* w : {"", "x", "", "y", ""}) AddOperand(joins, n, w);
  EXPECT_EQ(OperandText(joins, n), "x  y ");  // leading empty adds nothing
  EXPECT_EQ(OperandText(joins, AddOperation(joins, "id")), "");
}

TEST(Operations, BadNumbersRaiseListErrors) {
  TPosition rec = Read("4k3/8/8/8/8/8/8/4K3 w - - bm e4;");
  auto message = [](auto fn) {
    try {
      fn();
    } catch (const TRunError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { OperandText(rec, 2); }), "List index out of bounds (1)");
  EXPECT_EQ(message([&] { OperandCount(rec, 0); }), "List index out of bounds (-1)");
  EXPECT_EQ(message([&] { Operand(rec, 1, 2); }), "List index out of bounds (1)");
  EXPECT_EQ(message([&] { AddOperand(rec, 5, "x"); }), "List index out of bounds (4)");
}

}  // namespace
}  // namespace bq
