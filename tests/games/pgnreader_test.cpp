// Reading games: the grammar as files write it, errors in words and
// places, hostile input, and the same reading whatever the chunking.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../support/temp_dir.h"
#include "chess/fen.h"
#include "chess/marks.h"
#include "games/pgnreader.h"

namespace bq {
namespace {

using namespace std::string_literals;

// The events in brief: each position as its ply ("#" marked, "#b" from
// Black's side, then its squares and arrows), "|" for a game's end,
// errors with their reason.
std::string Transcript(TPgnGameReader reader, std::string* last = nullptr) {
  std::string t;
  for (TPgnEvent e = reader.Next(); e != TPgnEvent::End; e = reader.Next()) {
    if (e == TPgnEvent::GameEnd) t += "| ";
    if (e == TPgnEvent::Error) t += "error: " + reader.Reason() + " | ";
    if (e != TPgnEvent::Position) continue;
    t += std::to_string(reader.Ply());
    if (reader.DiagramMark()) t += reader.BlackView() ? "#b" : "#";
    if (!reader.Marks().Empty())
      t.append("[")
          .append(SquareMarksText(reader.Marks().Squares))
          .append("/")
          .append(ArrowMarksText(reader.Marks().Arrows))
          .append("]");
    t += ' ';
    if (last) {
      last->clear();
      *last += EPDFields(reader.Current().Core);
      for (const int n : {reader.Current().HalfMoves, int{reader.Current().Core.MoveNumber}})
        last->append(" ").append(std::to_string(n));
    }
  }
  return t;
}

std::string Transcript(std::string_view text, std::string* last = nullptr) {
  return Transcript(TPgnGameReader{TPgnLexer(text)}, last);
}

TEST(PgnReader, ReadsWhatFilesWrite) {
  const std::string text =
      "\xEF\xBB\xBF[Event \"Club \\\"A\\\" \\\\ B\"]\r\n\r\n[Site \"Here\"]\r\n"
      "% a line for other programs\r\n"
      "1. e4 $1 e5!? 2.Nf3 ; to the end of the line\r\n"
      "Nc6 {a (comment)} 3. Bb5 (3. Bc4 Bc5 (3... Nf6 4. d3) 4. c3) (3. d4) 3... a6 $220\r\n"
      "4. Ba4 Nf6 5. 0-0 Be7 1/2-1/2\r\n"
      "[Event \"No moves\"]\n[Result \"*\"]\n*\n"
      "[Event \"From move 30\"]\n[SetUp \"1\"]\n"
      "[FEN \"4k3/8/8/8/8/8/4P3/4K2R b K - 7 30\"]\n30... Kd7 31. O-O {[#]} *\n";
  std::string last;
  TPgnGameReader reader{TPgnLexer(text)};
  ASSERT_EQ(reader.Next(), TPgnEvent::Position);
  ASSERT_EQ(reader.Tags().size(), 2u);
  EXPECT_EQ(reader.Tags()[0].Value, "Club \"A\" \\ B");
  EXPECT_EQ(Transcript(std::move(reader), &last), "1 2 3 4 5 6# 7 8 9 10 | 0 | 0 1 2# | ");
  EXPECT_EQ(last, "8/3k4/8/8/8/8/4P3/5RK1 b - - 9 31");
  EXPECT_EQ(Transcript("1. e4 e5 *", &last), "0 1 2 | ");
  EXPECT_EQ(last, "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
  // A tag without a value is taken as empty; moves after the result are
  // another game; marks before a game without tags mark its start.
  EXPECT_EQ(Transcript("[Event]\n1. d4 *"), "0 1 | ");
  EXPECT_EQ(Transcript("1. e4 e5 1-0 2. Nf3 *"), "0 1 2 | 0 1 | ");
  EXPECT_EQ(Transcript("{[#]} 1. e4 $221 {[%clk 0:01]} e5 { [# ] }"), "0# 1#b 2 | ");
  EXPECT_EQ(Transcript("{only a comment}\n\n"), "");
}

TEST(PgnReader, ErrorsSayWhatAndWhere) {
  const std::pair<std::string, const char*> cases[] = {
      {"1. e4 e5\n2. Nf3 Nf3", "move 2...Nf3: no black knight can reach f3 (line 2, column 8)"},
      {"[FEN \"4k3/8/8/8/8/2N5/8/2N1K3 w - - 0 9\"]\n9. Ne2",
       "move 9.Ne2: ambiguous: the white knights on c1 and c3 can both reach e2 (line 2, column "
       "4)"},
      {"1. e4 {never closed", "comment not closed (line 1, column 7)"},
      {"1. e4 (1. d4 (1. c4) e5 *", "variation not closed (line 1, column 7)"},
      {"1. e4 ) e5", "\")\" without \"(\" (line 1, column 7)"},
      {"(1. e4) 1. d4", "a variation before any move (line 1, column 1)"},
      {"1. e\x00"
       "4"s,
       "move 1.e: not a move in SAN (line 1, column 4)"},
      {"1. e4 \x00"s, "unexpected NUL byte (line 1, column 7)"},
      {"1. e4 <e5>", "unexpected \"<\" (line 1, column 7)"},
      {"1. e4 $ e5", "\"$\" without a number (line 1, column 7)"},
      {"[Event \"open\n1. e4", "tag Event: the value is not closed on its line (line 1, column 1)"},
      {"[Event \"x\" 1. e4 *", "tag Event: no \"]\" after the value (line 1, column 1)"},
      {"[Event x]", "tag Event: the value must stand in double quotes (line 1, column 1)"},
      {"[FEN \"8/8/8/8/8/8/8/8 w - -\"]\n*",
       "FEN tag: the position cannot occur in a game (White has no king) (line 1, column 1)"},
      {"[FEN \"4k3/8/8/8/8/8/8/4K2P w - -\"]\n*",
       "FEN tag: a pawn stands on the first or last rank (line 1, column 1)"},
      {"[FEN \"4k3/8/8/3pP3/8/8/8/4K3 w - d3\"]\n*",
       "FEN tag: en-passant square d3 does not fit the side to move (line 1, column 1)"},
      {"[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 32767\"]\n32767... Kd7",
       "move 32767...Kd7: the move number would pass 32767 (line 2, column 10)"},
      {"\xEF\xBB"
       "1. e4",
       "a broken byte order mark (line 1, column 1)"},
  };
  for (const auto& [text, reason] : cases) {
    const std::string t = Transcript(text);
    EXPECT_EQ(t.substr(std::min(t.find("error: "), t.size())), "error: "s + reason + " | ") << text;
  }
}

TEST(PgnReader, GoesOnWithTheNextGameAfterAnError) {
  const std::string text =
      "[Event \"1\"]\n1. e4 e5 *\n"
      "[Event \"2\"]\n1. e4 e4 (1... e5 2. Ke3) 2. d4 *\n"  // the error skips to the result
      "[Event \"3\" \n[Site \"x\"]\n1. d4 *\n"              // a bad tag skips the game
      "[Event \"4\"]\n1. c4 {open\n";
  EXPECT_EQ(Transcript(text),
            "0 1 2 | 0 1 error: move 1...e4: no black pawn can reach e4 (line 4, column 7) | "
            "error: tag Event: no \"]\" after the value (line 5, column 1) | "
            "0 error: comment not closed (line 9, column 7) | ");
}

TEST(PgnReader, HostileInputEndsInAResultOrAnError) {
  std::string nested = "1. e4 e5 2. Nf3";
  for (int i = 0; i < 10000; ++i) nested += " (2. Nc3";
  for (int i = 0; i < 10000; ++i) nested += ")";
  EXPECT_EQ(Transcript(nested + " *"), "0 1 2 3 | ");
  std::string deep = "1. e4";
  for (int i = 0; i < 40000; ++i) deep += " (1. d4";
  EXPECT_EQ(Transcript(deep),
            "0 error: variations nested more than 32768 deep (line 1, column 229383) | ");
  EXPECT_EQ(Transcript("1. e4 {" + std::string(10 << 20, 'x') + "} e5 *"), "0 1 2 | ");
  EXPECT_EQ(Transcript("1. " + std::string(300, 'a')),
            "error: a word longer than 255 characters (line 1, column 4) | ");
  EXPECT_EQ(Transcript("[Event \"" + std::string(70000, 'x') + "\"]"),
            "error: tag Event: a value longer than 65536 bytes (line 1, column 1) | ");
}

// The [%csl] and [%cal] commands of a move's comments add up, among other
// commands and text; a variation's are its own. A malformed one adds
// nothing and is told once, by game and move.
TEST(PgnReader, MarkCommandsAddUpAndBadOnesAreToldOf) {
  std::string told;
  const auto read = [&told](std::string_view text) {
    told.clear();
    TPgnGameReader reader{TPgnLexer(text)};
    reader.OnWarning([&told](const std::string& warning) { told += warning + "\n"; });
    return Transcript(std::move(reader));
  };
  EXPECT_EQ(
      read("[Event \"x\"]\n{[%csl Ra1]} 1. e4 {see [%csl Rd4,Ge5][%eval 0.3] here [%cal "
           "Ge2e4,Bb1b1]\n[%CSL Yh8] [%csl]} ; [%csl Bc3]\n"
           "e5 {[%cal Gg1f3]} (1... c5 {[%csl Gc5]} 2. Nf3 {[%csl Gf3]}) {[%csl Ba2]} 2. d4 *"),
      "0[Ra1/] 1[Rd4,Ge5,Yh8,Bc3/Ge2e4,Bb1b1] 2[Ba2/Gg1f3] 3 | ");
  EXPECT_EQ(told, "");

  std::string overlong = "[%csl Ra1,";
  for (int i = 0; i < 4097; ++i) overlong += "Ra1,";
  overlong += "]} {" + overlong;
  EXPECT_EQ(read("[Event \"1\"]\n1. e4 *\n[Event \"2\"]\n1. e4 *\n[Event \"3\"]\n"
                 "{[%csl Rd4, d9] [%csl Ge5]} 1. e4 e5 2. Nf3 Nf6 {[%csl Zd9,Ra1][%cal Ge2] "
                 "[%csl Bb2]} (2... Nc6 {[%cal Ga1a2a3]}) {[%csl " +
                 std::string(70000, 'x') + "]} {" + overlong + "]} {[%cal Ga1a2} *"),
            "0 1 | 0 1 | 0[Ge5/] 1 2 3 4[Bb2/] | ");
  EXPECT_EQ(told,
            "game 3, before the first move: bad mark \"d9\" in csl: a colour letter R G Y B O C "
            "and a square a1..h8\n"
            "game 3, move 2...Nf6: bad mark \"Zd9\" in csl: a colour letter R G Y B O C and a "
            "square a1..h8\n"
            "game 3, move 2...Nf6: bad mark \"Ge2\" in cal: a colour letter R G Y B O C and two "
            "squares a1..h8\n"
            "game 3, move 2...Nc6: bad mark \"Ga1a2a3\" in cal: a colour letter R G Y B O C and "
            "two squares a1..h8\n"
            "game 3, move 2...Nf6: a csl command longer than 65536 bytes\n"
            "game 3, move 2...Nf6: more than 4096 marks for one position\n"
            "game 3, move 2...Nf6: a cal command without \"]\"\n");
}

// Games from a file read in chunks of any size, even one byte, give what
// the same text in memory gives.
TEST(PgnReader, ChunksOfAnySizeReadAlike) {
  std::ifstream in(BQ_SOURCE_DIR "/tests/games/data/games.pgn", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  text = "\xEF\xBB\xBF" + text + "\r\n{[#]} 1. d4 {x [#" +
         "] y [%csl Rd4,e5] [%clk 0:01] [%cal Ge2e4]} (1. c4 $221) Nf6 ; [#]\r\n*\n[E \"v";
  const testing::TempDir dir;
  const std::string path = dir / "chunks.pgn";
  std::ofstream(path, std::ios::binary) << text;
  const std::string expected = Transcript(text);
  EXPECT_NE(expected.find("| 0# 1#[Rd4,Ge5/Ge2e4] 2# | error: tag E"), std::string::npos)
      << expected;
  for (const std::size_t chunk : {1, 2, 3, 7, 4096}) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    // The head as the caller may have taken it, then the rest from the file.
    std::string head(5, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file));
    EXPECT_EQ(Transcript(TPgnGameReader{TPgnLexer(file, head, chunk)}), expected) << chunk;
    std::fclose(file);
  }
}

}  // namespace
}  // namespace bq
