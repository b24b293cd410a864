// The records of the positions chosen from games, which positions are
// chosen, and how PGN input is told from EPD.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/letters.h"
#include "chess/marks.h"
#include "chess/parser.h"
#include "games/inputkind.h"
#include "games/pgnepd.h"

namespace bq {
namespace {

std::vector<std::string> Records(std::string_view pgn, std::string_view diagrams = "marked",
                                 const TLetterSet* letters = nullptr) {
  TDiagramPolicy policy;
  EXPECT_TRUE(ParseDiagramPolicy(diagrams, policy));
  const TPgnEpdText result = PgnToEpdText(pgn, policy, letters);
  EXPECT_TRUE(result.Ok) << result.Message << ": " << result.Reason;
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = result.Text.find('\n', at)) != std::string::npos;
       at = end + 1)
    lines.push_back(result.Text.substr(at, end - at));
  return lines;
}

// What the EPD reader makes of a line: "opcode=operands" for each operation.
std::vector<std::string> ReadBack(const std::string& line) {
  TPosition rec;
  InitPosition(rec);
  std::string reason;
  EXPECT_TRUE(ReadEPDLine(rec, line, &reason)) << line << ": " << reason;
  std::vector<std::string> ops;
  for (int n = 1; n <= OperationCount(rec); ++n)
    ops.push_back(std::string(Opcode(rec, n)) + "=" + OperandText(rec, n));
  return ops;
}

TEST(GameRecords, ValuesReadBackAsWritten) {
  const std::vector<std::string> lines = Records(
      "[Event \"Say \\\"hi\\\"; then  go\t\"]\n[White \"  Ann  \"]\n[Black \"Bob\"]\n"
      "[Date \"2001.??.??\"]\n[View \"white\"]\n[Note \"\"]\n[Odd \"\xC3\xA9\x01x\"]\n"
      "1. e4 e5 2. Nf3 $221 *");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - id \"Ann \xE2\x80\x93 Bob, "
            "Say 'hi', then go 2001\"; pm Nf3; c0 \"Position after 2.Nf3\"; hmvc 1; fmvn 2; view "
            "\"black\"; event \"Say 'hi', then go\"; white \"Ann\"; black \"Bob\"; date "
            "\"2001.??.??\"; note \"\"; odd \"\xC3\xA9 x\";");
  EXPECT_EQ(
      ReadBack(lines[0]),
      (std::vector<std::string>{"id=\"Ann \xE2\x80\x93 Bob, Say 'hi', then go 2001\"", "pm=Nf3",
                                "c0=\"Position after 2.Nf3\"", "hmvc=1", "fmvn=2", "view=\"black\"",
                                "event=\"Say 'hi', then go\"", "white=\"Ann\"", "black=\"Bob\"",
                                "date=\"2001.??.??\"", "note=\"\"", "odd=\"\xC3\xA9 x\""}));
}

TEST(GameRecords, EveryRecordReadsBackToItsPosition) {
  std::ifstream in(BQ_SOURCE_DIR "/tests/games/data/games.pgn", std::ios::binary);
  const std::string pgn((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t count = 0;
  for (const char* diagrams : {"marked", "final", "start", "every:1", "every:3"}) {
    for (const std::string& line : Records(pgn, diagrams)) {
      TPosition rec;
      InitPosition(rec);
      ASSERT_TRUE(ReadEPDLine(rec, line, nullptr)) << line;
      std::string fields;
      fields += EPDFields(rec.Core);
      EXPECT_EQ(line.compare(0, fields.size() + 1, fields + ' '), 0) << line;
      EXPECT_EQ(static_cast<std::size_t>(OperationCount(rec)),
                static_cast<std::size_t>(std::count(line.begin(), line.end(), ';')))
          << line;
      ++count;
    }
  }
  EXPECT_GT(count, 100u);
}

// A drawn position carries the marks of its move's comments as csl and
// cal, which the conversion reads; the final position drawn at a game's
// end keeps its own, and the next game starts without them.
TEST(GameRecords, MarksBecomeCslAndCal) {
  const std::vector<std::string> lines = Records(
      "[Event \"x\"]\n[CSL \"Zz9\"]\n1. e4 {[%clk 0:01] [%csl Rd4,Ge5] look [%cal Ge2e4]} "
      "e5 {[%csl Bf7]} *\n1. d4 *",
      "final");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - id \"x\"; pm e5; c0 "
            "\"Position after 1...e5\"; hmvc 0; fmvn 2; csl \"Bf7\"; event \"x\";");
  EXPECT_EQ(lines[1].find("csl"), std::string::npos) << lines[1];
  const std::string start = Records("{[%csl Rd4,Ge5] [%cal Ge2e4]} 1. e4 *", "start").at(0);
  EXPECT_NE(start.find("; csl \"Rd4,Ge5\"; cal \"Ge2e4\";"), std::string::npos) << start;
  TPosition rec;
  InitPosition(rec);
  ASSERT_TRUE(ReadEPDLine(rec, start, nullptr));
  TMarks marks;
  ASSERT_TRUE(ReadMarks(rec, marks, nullptr));
  EXPECT_EQ(marks.Squares.size(), 2u);
  EXPECT_EQ(marks.Arrows, (std::vector<TArrowMark>{{TMarkColour::Green, 4 * 8 + 1, 4 * 8 + 3}}));
}

TEST(GameRecords, IdLeavesOutWhatTheTagsDoNotKnow) {
  const auto id = [](const char* white, const char* black, const char* event, const char* date) {
    const std::string pgn = std::string("[White \"") + white + "\"]\n[Black \"" + black +
                            "\"]\n[Event \"" + event + "\"]\n[Date \"" + date + "\"]\n*";
    const std::vector<std::string> ops = ReadBack(Records(pgn).at(0));
    return ops.at(0).rfind("id=", 0) == 0 ? ops.at(0).substr(3) : "none";
  };
  EXPECT_EQ(id("A", "B", "Open", "1999.05.01"), "\"A \xE2\x80\x93 B, Open 1999\"");
  EXPECT_EQ(id("?", "B", "Open", "1999.??.??"), "\"B, Open 1999\"");
  EXPECT_EQ(id("A", "B", "?", "????.??.??"), "\"A \xE2\x80\x93 B\"");
  EXPECT_EQ(id("?", "?", "?", "1999"), "\"1999\"");
  EXPECT_EQ(id("", "?", "?", "????.??.??"), "none");
}

// A game from move 30 with Black to move; marks on 30... and 32.
constexpr const char* kFromThirty =
    "[FEN \"4k3/8/8/8/8/8/8/4K1N1 b - - 0 30\"]\n"
    "30... Kd7 $220 31. Nf3 Ke6 32. Nd4+ $220 $221 {[#]} Kd5 33. Kd2 Kc4 *";

std::vector<std::string> Moments(std::string_view diagrams, const TLetterSet* letters = nullptr) {
  std::vector<std::string> moments;
  for (const std::string& line : Records(kFromThirty, diagrams, letters)) {
    const std::vector<std::string> ops = ReadBack(line);
    moments.push_back(ops.at(ops.at(0).rfind("pm", 0) == 0 ? 1 : 0).substr(3));
    if (line.find("view \"black\"") != std::string::npos) moments.back() += " black";
  }
  return moments;
}

TEST(DiagramChoice, PositionsEachChoiceTakes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Moments("marked"),
            (V{"\"Position after 30...Kd7\"", "\"Position after 32.Nd4+\" black"}));
  EXPECT_EQ(Moments("FINAL"), V{"\"Position after 33...Kc4\""});
  EXPECT_EQ(Moments("start"), V{"\"Start Position\""});
  EXPECT_EQ(Moments("every:2"), (V{"\"Position after 30...Kd7\"", "\"Position after 32...Kd5\"",
                                   "\"Position after 33...Kc4\""}));
  EXPECT_EQ(Moments("every:3"), (V{"\"Position after 30...Kd7\"", "\"Position after 33...Kc4\""}));
  EXPECT_EQ(Moments("every:33"), V{"\"Position after 33...Kc4\""});
  EXPECT_EQ(Moments("final", &GermanLetterSet()), V{"\"Stellung nach 33...Kc4\""});
  EXPECT_EQ(Records("1. e4 e5 2. Nf3 *").size(), 1u);  // no marks: the final position
  EXPECT_EQ(Records("[Event \"x\"]\n*", "every:1").size(), 1u);

  TDiagramPolicy policy;
  std::string why;
  for (const char* bad : {"", "every", "every:", "every:0", "every:-1", "every:x", "all"})
    EXPECT_FALSE(ParseDiagramPolicy(bad, policy, &why)) << bad;
  EXPECT_EQ(
      why, "diagrams must be marked, final, start or every:N (N a move count from 1), not \"all\"");
}

TEST(InputKind, PgnWhenTheFirstTextIsATagOrAMoveNumber) {
  for (const char* pgn : {"[Event \"x\"]", "\xEF\xBB\xBF\r\n  1. e4", "12... Nf3", "% x\n; y\n1.e4",
                          "{A long\n comment\n}\n[Event \"x\"]", "{never closed"})
    EXPECT_EQ(DetectInputKind(pgn), TInputKind::Pgn) << pgn;
  for (const char* epd : {"", "\n\n", "# comment\n8/8/8/8/8/8/8/K6k w - -",
                          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "12 e4", "1"})
    EXPECT_EQ(DetectInputKind(epd), TInputKind::Epd) << epd;
}

}  // namespace
}  // namespace bq
