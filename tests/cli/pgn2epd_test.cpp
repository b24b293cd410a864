// The command line's games: pgn2epd, and check of PGN input.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "../support/temp_dir.h"
#include "cli/pgncommands.h"

namespace bq {
namespace {

// A file that holds what a stream got.
class TCapture {
 public:
  explicit TCapture(std::string path)
      : path_(std::move(path)), file_(std::fopen(path_.c_str(), "w+b")) {}
  ~TCapture() { std::fclose(file_); }
  std::FILE* File() const { return file_; }
  std::string Text() const {
    std::fflush(file_);
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
  std::FILE* file_;
};

class Pgn2Epd : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    std::ofstream(pgn_, std::ios::binary) << text;
    return pgn_;
  }
  int Run(std::vector<std::string> args) { return RunPgn2Epd(args, out_.File(), err_.File()); }

  const testing::TempDir dir_;
  const std::string pgn_ = dir_ / "input.pgn";
  TCapture out_{dir_ / "out"}, err_{dir_ / "err"};
};

constexpr const char* kGames =
    "[Event \"One\"]\n1. e4 e5 2. Nf3 *\n\n"
    "[Event \"Two\"]\n1. d4 d5 2. c4 e6 *\n";

TEST_F(Pgn2Epd, PrintsTheRecordsOfTheChosenPositions) {
  EXPECT_EQ(Run({"--diagrams=start", Write(kGames)}), 0);
  EXPECT_EQ(out_.Text(),
            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - id \"One\"; c0 \"Start "
            "Position\"; hmvc 0; fmvn 1; event \"One\";\n"
            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - id \"Two\"; c0 \"Start "
            "Position\"; hmvc 0; fmvn 1; event \"Two\";\n");
  EXPECT_EQ(err_.Text(), "");
}

// Marks reach the records; a malformed command is passed over with a
// warning that names its game and move, and the records still come.
TEST_F(Pgn2Epd, CarriesMarksAndWarnsOfBadOnes) {
  const std::string name = Write(std::string(kGames) +
                                 "\n[Event \"Three\"]\n1. e4 {[%csl Rd4] [%clk 0:01]} $220 e5 "
                                 "{[%cal Ge2e4] [%csl Zd9] [%cal Gg1f3]} $220 *\n");
  EXPECT_EQ(Run({name}), 0);
  const std::string out = out_.Text();
  EXPECT_NE(out.find("c0 \"Position after 1.e4\"; hmvc 0; fmvn 1; csl \"Rd4\"; event \"Three\";"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("fmvn 2; cal \"Ge2e4,Gg1f3\"; event \"Three\";"), std::string::npos) << out;
  EXPECT_EQ(err_.Text(),
            "boardquill: warning: game 3, move 1...e5: bad mark \"Zd9\" in csl: a colour letter R "
            "G Y B O C and a square a1..h8\n");
}

TEST_F(Pgn2Epd, ABadGamePrintsNothingButTheError) {
  const std::string name = Write(std::string(kGames) + "\n[Event \"Three\"]\n\n1. e4 e5 Ke3 *\n");
  EXPECT_EQ(Run({"--diagrams", "every:1", name}), 1);
  EXPECT_EQ(out_.Text(), "");
  EXPECT_EQ(err_.Text(),
            "Error in game 3\n" + name +
                ": error: move 2.Ke3: no white king can reach e3 (line 9, column 10)\n");
}

TEST_F(Pgn2Epd, RefusesWrongArguments) {
  const std::string name = Write(kGames);
  EXPECT_EQ(Run({"--diagrams", "some", name}), 2);
  EXPECT_EQ(Run({name, name}), 2);
  EXPECT_EQ(Run({"--diagrams"}), 2);
  EXPECT_EQ(Run({"--colour", name}), 2);
  EXPECT_EQ(Run({dir_ / "no-such-file.pgn"}), 2);
  EXPECT_EQ(out_.Text(), "");
  const std::string err = err_.Text();
  EXPECT_NE(err.find("boardquill: diagrams must be marked, final, start or every:N"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("boardquill: unknown option --colour for pgn2epd\n"), std::string::npos);
  EXPECT_NE(err.find("boardquill: cannot open"), std::string::npos);
}

TEST_F(Pgn2Epd, CheckListsBadGamesAndCounts) {
  const std::string name =
      Write(std::string(kGames) + "[Event \"Three\"]\n1. e4 {\n[Event \"Four\"]\n1. f4 $220 e5 *");
  std::FILE* in = std::fopen(name.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  std::string head(10, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), in));
  TPgnCheckTotals totals;
  CheckPgnInput(in, head, "games.pgn", totals, out_.File());
  std::fclose(in);
  EXPECT_EQ(out_.Text(), "games.pgn: error: game 3: comment not closed (line 7, column 7)\n");
  EXPECT_EQ(PgnCheckSummary(totals), "3 games, 2 positions, 1 errors");
}

}  // namespace
}  // namespace bq
