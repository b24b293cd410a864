#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chess/parser.h"
#include "chess_test_util.h"

namespace bq {
namespace {

const std::string kKings = "4k3/8/8/8/8/8/8/4K3";

bool Reads(std::string_view line, TPosition* out = nullptr) {
  TPosition rec;
  InitPosition(rec);
  bool ok = false;
  EXPECT_NO_THROW(ok = ReadEPDLine(rec, line)) << line;
  if (out) *out = rec;
  return ok;
}

std::vector<std::string> Opcodes(const TPosition& rec) {
  std::vector<std::string> out;
  for (int n = 1; n <= OperationCount(rec); ++n) out.emplace_back(Opcode(rec, n));
  return out;
}

std::vector<std::string> Operands(const TPosition& rec, int n) {
  std::vector<std::string> out;
  for (int m = 1; m <= OperandCount(rec, n); ++m) out.emplace_back(Operand(rec, n, m));
  return out;
}

std::string Reason(std::string_view line) {
  TPosition rec;
  std::string reason;
  EXPECT_FALSE(ReadEPDLine(rec, line, &reason)) << line;
  return reason;
}

TEST(Parser, AcceptsTheGrammarsLenientCorners) {
  const std::vector<std::string> lines = {
      kKings + " w - -",
      kKings + " b - - ",
      kKings + " w - e3",                    // ends after the en-passant field
      kKings + " w - e",                     // ... even without a rank
      kKings + "  \r\n w \n -\r e3 bm e4;",  // CR and LF are blanks
      "4k3/88/8/8/8/8/8/4K3 w - -",          // a row made long by digits
      "4k3/8/8/8/8/8/8/44 w - -",            // rank 1 ends at file 9
      "4k3/8/8/8/8/8/8/4K w - -",            // a short last row
      "4k3 w - -",                           // missing rows stay empty
      "8/8/8/8/8/8/8/8 w - -",               // no kings: start position
      kKings + " w KQkq -",                  // rights without rooks are dropped
      kKings + " w - z3",                    // any letter is a file number
  };
  for (const std::string& line : lines) EXPECT_TRUE(Reads(line)) << line;
}

TEST(Parser, RefusesEachBrokenField) {
  const std::vector<std::string> lines = {
      std::string(),
      kKings,
      "4k3/8/8/8/8/8/8/4K2",  // ends inside the placement
      "4k3/8/8/8/8/8/8/4K29 w - -",
      "4k3/8/8/8/8/8/8/4K20 w - -",
      "4k3/8/8/8/8/8/8/4Kx2 w - -",
      "4k3/8/8/8/8/8/8/4K_2 w - -",
      "4k3/8/8/8/8/8/8/4K3/ w - -",  // no blank after the placement
      "4k3R/8/8/8/8/8/8/4K3 w - -",  // a piece beyond file h
      kKings + "\tw - -",            // a tab is no separator
      kKings + " \tw - -",
      kKings + " W - -",
      kKings + " B - -",
      kKings + " w",
      kKings + " w ",
      kKings + " w- -",
      kKings + " w -",  // ends after castling
      kKings + " w - ",
      kKings + " w kqKQ -",
      kKings + " w KK -",
      kKings + " w Kx -",
      kKings + " w -K -",
      kKings + " w x -",
      kKings + " w - e3x",
      kKings + " w - -x",
      kKings + " w - -1 12",
  };
  for (const std::string& line : lines) EXPECT_FALSE(Reads(line)) << line;
}

TEST(Parser, CounterLimitsFailTheLineInsteadOfRaising) {
  const std::string eighthSlash = "8/8/8/8/8/8/8//";
  EXPECT_FALSE(Reads(eighthSlash + "K w - -"));  // a piece on rank 0
  EXPECT_FALSE(Reads(eighthSlash + "k w - -"));
  EXPECT_FALSE(Reads(eighthSlash + "8/ w - -"));  // "/" below rank 1
  EXPECT_FALSE(Reads(eighthSlash + " w - -"));    // space below rank 1
  EXPECT_FALSE(Reads(eighthSlash + std::string(40, '8')));
  // The file counter holds 255 at most.
  const std::string row255 = std::string(31, '8') + "6";
  EXPECT_TRUE(Reads("4k3/" + row255 + "/8/8/8/8/8/4K3 w - -"));
  EXPECT_FALSE(Reads("4k3/" + std::string(31, '8') + "7/8/8/8/8/8/4K3 w - -"));
  // En-passant characters below code 64 give no file; 64 itself gives 0.
  for (const char* ep : {"1", "3", "!"})
    EXPECT_FALSE(Reads(kKings + " w - " + ep + " id x;")) << ep;
  TPosition rec;
  ASSERT_TRUE(Reads(kKings + " w - @3", &rec));
  EXPECT_EQ(rec.Core.EnPassantFile, 0);
  ASSERT_TRUE(Reads(kKings + " w - \xE9", &rec));
  EXPECT_EQ(rec.Core.EnPassantFile, 0xE9 - 64);
}

TEST(Parser, ReadsAFullRecord) {
  TPosition rec;
  ASSERT_TRUE(Reads("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm e5; id x;", &rec));
  EXPECT_TRUE(SquareHolds(rec.Core, 5, 4, cWhite, pPawn));
  EXPECT_TRUE(SquareHolds(rec.Core, 5, 2, cNone, pNone));
  EXPECT_EQ(SideToMove(rec.Core), cBlack);
  EXPECT_EQ(rec.Core.CastlingRights, (std::array<bool, 4>{true, true, true, true}));
  EXPECT_EQ(rec.Core.EnPassantFile, 5);
  EXPECT_EQ(Opcodes(rec), (std::vector<std::string>{"bm", "id"}));
  EXPECT_EQ(OperandText(rec, 1), "e5");
  EXPECT_EQ(OperandText(rec, 2), "x");

  ASSERT_TRUE(Reads("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", &rec));
  EXPECT_EQ(rec.Core.CastlingRights, (std::array<bool, 4>{true, true, true, true}));
  ASSERT_TRUE(Reads("r3k3/8/8/8/8/8/8/4K2R w Kq -", &rec));
  EXPECT_EQ(rec.Core.CastlingRights, (std::array<bool, 4>{false, true, true, false}));

  ASSERT_TRUE(Reads("4k3 w - -", &rec));  // impossible: the start position
  TPositionCore start;
  SetStartPosition(start);
  EXPECT_EQ(rec.Core, start);
}

TEST(Parser, SplitsOperationsAtBlanksAndSemicolons) {
  TPosition rec;
  ASSERT_TRUE(Reads(kKings + " w - - id \"a   b\" ;", &rec));
  EXPECT_EQ(Operands(rec, 1), (std::vector<std::string>{"\"a", "b\"", ""}));
  EXPECT_EQ(OperandText(rec, 1), "\"a b\" ");

  ASSERT_TRUE(Reads(kKings + " w - - 0 1", &rec));
  EXPECT_EQ(Opcodes(rec), (std::vector<std::string>{"0"}));
  EXPECT_EQ(Operand(rec, 1, 1), "1");

  ASSERT_TRUE(Reads(kKings + " w - - ; bm Qb3 ;; id\tx;am", &rec));
  EXPECT_EQ(Opcodes(rec), (std::vector<std::string>{"", "bm", "", "id\tx", "am"}));
  EXPECT_EQ(OperandCount(rec, 1), 0);
  EXPECT_EQ(OperandText(rec, 2), "Qb3 ");
  EXPECT_EQ(OperandCount(rec, 5), 0);

  ASSERT_TRUE(Reads(kKings + " w - - bm a; bm b;" + std::string("\0id x;", 6), &rec));
  EXPECT_EQ(FindOperation(rec, "bm"), 1);
  EXPECT_EQ(OperandText(rec, FindOperation(rec, "bm")), "a");
  EXPECT_EQ(OperationCount(rec), 2);
  // Operands may be added to any operation, not only the last.
  AddOperand(rec, 1, "c");
  AddOperand(rec, AddOperation(rec, "ID"), "z");
  EXPECT_EQ(Operands(rec, 1), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(Operands(rec, 2), (std::vector<std::string>{"b"}));
  EXPECT_EQ(OperandText(rec, FindOperation(rec, "id")), "z");
}

TEST(Parser, OnlyASuccessfulLineReplacesTheRecord) {
  TPosition rec;
  InitPosition(rec);
  ASSERT_TRUE(ReadEPDLine(rec, "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - a 1 2 3; b 4 5; c 6 7 8 9;"));
  const TPosition before = rec;
  ASSERT_FALSE(ReadEPDLine(rec, kKings + " w kqKQ - id y;"));
  EXPECT_EQ(rec.Core, before.Core);
  EXPECT_EQ(rec.Operations, before.Operations);

  ASSERT_TRUE(ReadEPDLine(rec, kKings + " w - - id y;"));
  EXPECT_EQ(Opcodes(rec), (std::vector<std::string>{"id"}));
  EXPECT_EQ(Operands(rec, 1), (std::vector<std::string>{"y"}));
  EXPECT_TRUE(SquareHolds(rec.Core, 1, 1, cNone, pNone));
  ASSERT_TRUE(ReadEPDLine(rec, kKings + " w - -"));
  EXPECT_EQ(OperationCount(rec), 0);

  auto record = T_PGNParserO().ReadEPDRecord(kKings + " b - - bm Kd7;");
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(OperandText(*record, 1), "Kd7");
  EXPECT_FALSE(T_PGNParserO().ReadEPDRecord(kKings + " x - -").has_value());
}

TEST(Parser, ReasonsSayWhatAndWhere) {
  EXPECT_EQ(Reason(kKings + " W - -"),
            "side to move must be \"w\" or \"b\", found \"W\" at column 21");
  EXPECT_EQ(Reason("r3k2r/8/8/8/8/8/8/R3K2R w kqKQ -"),
            "castling field: \"kqKQ\" at column 27 is not \"-\" or an ordered selection of K, Q, "
            "k, q");
  EXPECT_EQ(Reason("4kx3/8"), "placement: unexpected character \"x\" at column 3");
  EXPECT_EQ(Reason("4k3/8"), "placement: line ends inside the piece placement");
  EXPECT_EQ(Reason(kKings + "\tw - -"),
            "no blank after the placement at column 20 (found \"\\t\")");
  EXPECT_EQ(Reason("4k3R/8 w - -"), "placement: piece \"R\" beyond file h at column 4");
  EXPECT_EQ(Reason("8/8/8/8/8/8/8//8/ w - -"), "placement: too many rows (\"/\" at column 17)");
  EXPECT_EQ(Reason(kKings + " w - 1"), "en-passant field: \"1\" at column 25 is not a file letter");
  EXPECT_EQ(Reason(kKings + " w - e3x"),
            "en-passant field must be followed by a blank, found \"x\" at column 27");
  EXPECT_EQ(Reason("4k\x01"), "placement: unexpected character \"\\x01\" at column 3");
  EXPECT_EQ(Reason(kKings + " w -"), "line ends after the castling field (no en-passant field)");
  // Rank 1 ends with the character that takes it past file h.
  EXPECT_EQ(Reason("4k3/8/8/8/8/8/8/4K2RR w - -"),
            "no blank after the placement at column 21 (found \"R\")");
  EXPECT_EQ(Reason("4k3/8/8/8/8/8/8/7K1 w - -"),
            "no blank after the placement at column 19 (found \"1\")");
  EXPECT_EQ(Reason(kKings + "/ w - -"), "no blank after the placement at column 20 (found \"/\")");
  EXPECT_EQ(Reason(kKings), "line ends after the placement");
}

}  // namespace
}  // namespace bq
