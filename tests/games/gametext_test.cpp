// Game text: the paragraphs a game is printed as, their numbering, symbols
// and diagram places; hostile sizes; and, for random annotated games, text
// that reads back as the same game.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "chess/fen.h"
#include "chess/letters.h"
#include "games/pgntext.h"
#include "games/san.h"

namespace bq {
namespace {

TGameTextOptions Options(std::string_view diagrams, const TLetterSet* notation = nullptr) {
  TGameTextOptions options;
  EXPECT_TRUE(ParseDiagramPolicy(diagrams, options.Diagrams));
  options.Notation = notation;
  return options;
}

// A paragraph a line, indented two blanks a level; bold between <b> and
// </b>; a diagram as [the move before it], "view black" as [... black].
std::string Shown(const std::vector<TGameParagraph>& paragraphs) {
  std::string shown;
  for (const TGameParagraph& p : paragraphs) {
    shown.append(2 * static_cast<std::size_t>(p.Indent), ' ');
    if (p.IsDiagram()) {
      const std::size_t pm = p.Diagram.find(" pm ");
      shown +=
          "[" +
          (pm == std::string::npos ? "start"
                                   : p.Diagram.substr(pm + 4, p.Diagram.find(';', pm) - pm - 4)) +
          (p.Diagram.find("view \"black\"") != std::string::npos ? " black]" : "]");
    }
    TRunWeight weight = TRunWeight::Regular;
    for (const TGameRun& run : p.Runs) {
      if (run.Weight != weight) shown += run.Weight == TRunWeight::Bold ? "<b>" : "</b>";
      weight = run.Weight;
      shown += run.Text;
    }
    if (weight == TRunWeight::Bold) shown += "</b>";
    shown += '\n';
  }
  return shown;
}

std::string Shown(std::string_view pgn, std::string_view diagrams = "marked",
                  const TLetterSet* notation = nullptr) {
  const TPgnGameText text = PgnToGameText(pgn, Options(diagrams, notation));
  EXPECT_TRUE(text.Ok) << text.Message << ": " << text.Reason;
  return Shown(text.Paragraphs);
}

TEST(GameText, PrintsAGameAsBooksDo) {
  const std::string pgn =
      "{[%evp 1,2] before the game}\n"
      "[Event \"Club\"]\n[Site \"Here\"]\n[Date \"1999.??.??\"]\n[Round \"-\"]\n"
      "[White \"Ann  Lee\"]\n[Black \"Bob\"]\n"
      "{Intro [%clk 0:01:00]} 1. e4 $1 $14 e5 {[%eval 0.3]} 2. Nf3 (2. f4 exf4 (2... d5 3. exd5 "
      "{[#]} Qxd5) 3. Nf3 $220) (2. Bc4) {after [%cal Ge2e4]} 2... Nc6 3. Bb5 { Spanish\n [#] } "
      "a6 1-0\n"
      "[White \"?\"]\n[Black \"Cy\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K2R b K - 7 30\"]\n"
      "30... Kd7 31. O-O $221 $250 Ke6 32. e4 $2 1/2-1/2\n";
  EXPECT_EQ(Shown(pgn),
            "before the game\n"
            "<b>Ann Lee \u2013 Bob</b>\n"
            "Club, Here, 1999\n"
            "Intro<b> 1.e4! +/= e5 2.\u2658f3</b>\n"
            "  2.f4 exf4 (2...d5 3.exd5\n"
            "  [exd5]\n"
            "  3...\u2655xd5) 3.\u2658f3\n"
            "  [Nf3]\n"
            "  2.\u2657c4\n"
            "after<b> 2...\u2658c6 3.\u2657b5</b> Spanish\n"
            "[Bb5]\n"
            "<b>3...a6 1\u20130</b>\n"
            "\n"
            "<b>Cy</b>\n"
            "<b>30...\u2654d7 31.O-O</b>\n"
            "[O-O black]\n"
            "<b>31...\u2654e6 32.e4? \u00BD\u2013\u00BD</b>\n");
  // Other diagram choices; the start of a game from Black's move.
  EXPECT_EQ(Shown(pgn, "start"),
            "before the game\n<b>Ann Lee \u2013 Bob</b>\nClub, Here, 1999\nIntro\n[start]\n"
            "<b>1.e4! +/= e5 2.\u2658f3</b>\n  2.f4 exf4 (2...d5 3.exd5 \u2655xd5) 3.\u2658f3\n"
            "  2.\u2657c4\nafter<b> 2...\u2658c6 3.\u2657b5</b> Spanish<b> 3...a6 1\u20130</b>\n\n"
            "<b>Cy</b>\n[start]\n<b>30...\u2654d7 31.O-O \u2654e6 32.e4? "
            "\u00BD\u2013\u00BD</b>\n");
}

TEST(GameText, SymbolsLettersAndFigurines) {
  EXPECT_EQ(Shown("1. e4 $7 $10 $13 $16 $18 $19 $22 $32 $36 $40 $44 $132 $140 $146 $15 $17 e5 "
                  "$3 $5 {x} $6 *",
                  "final"),
            "<b>1.e4 \u25A1 = \u221E \u00B1 +\u2212 \u2212+ \u2A00 \u27F3 \u2191 \u2192 "
            "=/\u221E \u21C6 \u2206 N =/+ \u2213 e5!!!?</b> x<b> ?!</b>\n[e5]\n");
  const std::string promotion =
      "[FEN \"4k3/1P6/8/8/8/8/8/4K1N1 w - - 0 1\"]\n1. b8=Q+ Kd7 2. Nf3 *";
  EXPECT_EQ(Shown(promotion, "final", &GermanLetterSet()), "<b>1.b8=D+ Kd7 2.Sf3</b>\n[Nf3]\n");
  const TPgnGameText text = PgnToGameText(promotion, Options("final"));
  ASSERT_TRUE(text.Ok);
  std::string pieces;
  for (const TGameRun& run : text.Paragraphs[0].Runs)
    if (run.Kind == TRunKind::Piece) pieces += run.Text + " ";
  EXPECT_EQ(pieces, "\u2655 \u2654 \u2658 ");
}

// Sizes that must print whole, in bounded parts.
TEST(GameText, HugeCommentsAndDeepVariationsPrintWhole) {
  std::string pgn = "1. e4 {" + std::string(1'000'000, 'x') + "} e5 2. Nf3";
  for (int i = 0; i < 10000; ++i) pgn += " (2. Nc3";
  for (int i = 0; i < 10000; ++i) pgn += ")";
  pgn += " 2... Nc6 {" + std::string(3'000'000, 'y') + "} *";
  const TPgnGameText text = PgnToGameText(pgn, Options("marked"));
  ASSERT_TRUE(text.Ok) << text.Reason;
  std::string joined;
  std::size_t longest = 0, opened = 0, closed = 0;
  for (const TGameParagraph& p : text.Paragraphs) {
    std::size_t bytes = 0;
    for (const TGameRun& run : p.Runs) {
      bytes += run.Text.size();
      if (run.Role == TRunRole::Comment) joined += run.Text.substr(0, 1);
      opened += std::count(run.Text.begin(), run.Text.end(), '(');
      closed += std::count(run.Text.begin(), run.Text.end(), ')');
    }
    longest = std::max(longest, bytes);
    if (!p.Continues) joined += '|';
  }
  EXPECT_LE(longest, kMaxGameParagraph);
  EXPECT_EQ(opened, 9999u);  // the first is a paragraph
  EXPECT_EQ(closed, 9999u);
  std::size_t xs = 0, ys = 0;
  for (const TGameParagraph& p : text.Paragraphs)
    for (const TGameRun& run : p.Runs) {
      if (run.Role != TRunRole::Comment) continue;
      xs += std::count(run.Text.begin(), run.Text.end(), 'x');
      ys += std::count(run.Text.begin(), run.Text.end(), 'y');
    }
  EXPECT_EQ(xs, 1'000'000u);
  EXPECT_EQ(ys, 3'000'000u);
  EXPECT_EQ(joined, "x||yyy||");  // main line, variation, main line in 3 parts, final diagram
}

// The round trip. A transcript of what a game-text reader reports: moves
// with their depth, comments whole, variations, the result.
std::string Transcript(std::string_view pgn) {
  TPgnGameReader reader{TPgnLexer(pgn), TPgnDetail::Text};
  std::string t, comment;
  for (TPgnEvent e = reader.Next(); e != TPgnEvent::End; e = reader.Next()) {
    switch (e) {
      case TPgnEvent::Move:
        t += std::to_string(reader.Depth()) + ":" + reader.San() + " ";
        break;
      case TPgnEvent::Comment:
        comment += reader.CommentText();
        if (!reader.CommentGoesOn()) t += "{" + comment + "} ";
        if (!reader.CommentGoesOn()) comment.clear();
        break;
      case TPgnEvent::VariationStart:
        t += "( ";
        break;
      case TPgnEvent::VariationEnd:
        t += ") ";
        break;
      case TPgnEvent::GameEnd:
        t += (reader.Result() == "*" ? "" : reader.Result()) + " | ";
        break;
      case TPgnEvent::Error:
        return t + "error: " + reader.Reason();
      default:
        break;
    }
  }
  return t;
}

// A random annotated game: its PGN, and the transcripts expected of the
// PGN and of its text (comments as printed).
class TRandomGame {
 public:
  explicit TRandomGame(std::mt19937& random) : random_(random) {}

  void Write(int game) {
    TPositionCore core;
    SetStartPosition(core);
    for (int plies = Pick(4) == 0 ? Pick(12) : 0; plies > 0 && Play(core); --plies) {
    }
    core.MoveNumber = static_cast<std::int16_t>(core.MoveNumber + Pick(40));
    fens_.push_back(EPDFields(core) + " 0 " + std::to_string(core.MoveNumber));
    pgn_ += "[White \"W" + std::to_string(game) + "\"]\n[Black \"B\"]\n[FEN \"" + fens_.back() +
            "\"]\n";
    Line(core, 0, 8 + Pick(40));
    static constexpr const char* kResults[] = {"1-0", "0-1", "1/2-1/2", "*"};
    const std::string result = kResults[Pick(4)];
    pgn_ += " " + result + "\n\n";
    for (std::string* t : {&raw_, &printed_}) *t += (result == "*" ? "" : result) + " | ";
  }

  const std::string& Pgn() const { return pgn_; }
  const std::string& Raw() const { return raw_; }
  const std::string& Printed() const { return printed_; }
  const std::vector<std::string>& Fens() const { return fens_; }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  bool Play(TPositionCore& core) {
    TMoveList moves;
    GenerateMoves(core, moves);
    if (moves.Size == 0) return false;
    MakeMove(core, moves.Moves[static_cast<std::size_t>(Pick(static_cast<int>(moves.Size)))]);
    return true;
  }

  // Words between blanks of any kind, with commands among them.
  void Comment() {
    static constexpr const char* kBlanks[] = {" ", "  ", "\n", "\t "};
    static constexpr const char* kCommands[] = {"[%clk 0:01:02]", "[%cal Ge2e4,Rd1d8]"};
    const bool line = Pick(5) == 0;
    std::string raw = Pick(3) == 0 ? kBlanks[line ? 0 : Pick(4)] : "", printed;
    for (int words = Pick(4); words >= 0; --words) {
      if (Pick(4) == 0) raw += std::string(kCommands[Pick(2)]) + kBlanks[Pick(2)];
      if (words == 0 && Pick(3) == 0) break;  // a comment of commands alone prints nothing
      std::string word;
      for (int n = 1 + Pick(6); n > 0; --n) word += static_cast<char>('a' + Pick(26));
      raw += word + (line ? " " : kBlanks[Pick(4)]);
      printed += (printed.empty() ? "" : " ") + word;
    }
    pgn_ += line ? " ;" + raw + "\n" : " {" + raw + "}";
    raw_ += "{" + raw + "} ";
    if (!printed.empty()) printed_ += "{" + printed + "} ";
  }

  void Line(TPositionCore core, int depth, int plies) {
    static constexpr int kNags[] = {1, 2, 3, 4, 5, 6, 7, 10, 14, 16, 19, 36, 146, 250};
    for (bool first = true; plies > 0; --plies, first = false) {
      if (Pick(6) == 0) Comment();
      TMoveList moves;
      GenerateMoves(core, moves);
      if (moves.Size == 0) return;
      const TMove move = moves.Moves[static_cast<std::size_t>(Pick(static_cast<int>(moves.Size)))];
      const bool white = core.SideToMove == cWhite;
      std::string san;
      AppendSAN(san, core, move);
      pgn_ += (first ? "" : " ") + std::to_string(core.MoveNumber) + (white ? ". " : "... ") + san;
      for (std::string* t : {&raw_, &printed_}) *t += std::to_string(depth) + ":" + san + " ";
      for (int n = Pick(3) == 0 ? 1 + Pick(2) : 0; n > 0; --n)
        pgn_ += " $" + std::to_string(kNags[Pick(static_cast<int>(std::size(kNags)))]);
      if (Pick(6) == 0) Comment();
      for (int n = depth < 6 && Pick(4) == 0 ? 1 + Pick(2) : 0; n > 0; --n) {
        pgn_ += " (";
        for (std::string* t : {&raw_, &printed_}) *t += "( ";
        Line(core, depth + 1, 1 + Pick(depth == 0 ? 8 : 4));
        pgn_ += ")";
        for (std::string* t : {&raw_, &printed_}) *t += ") ";
      }
      MakeMove(core, move);
    }
  }

  std::mt19937& random_;
  std::string pgn_, raw_, printed_;
  std::vector<std::string> fens_;
};

// The text as PGN: comments in braces, NAG symbols and headings left out
// (but for each game's start position), a variation paragraph in
// parentheses, results as PGN writes them.
std::string AsPgn(const std::vector<TGameParagraph>& paragraphs,
                  const std::vector<std::string>& fens) {
  std::string pgn;
  std::size_t game = 0;
  for (const TGameParagraph& p : paragraphs) {
    if (p.IsDiagram()) continue;
    std::string line;
    for (const TGameRun& run : p.Runs) {
      if (run.Role == TRunRole::Heading && run.Weight == TRunWeight::Bold && game < fens.size())
        line += "[FEN \"" + fens[game++] + "\"]";
      else if (run.Role == TRunRole::Comment)
        line += "{" + run.Text + "}";
      else if (run.Role == TRunRole::Result)
        line += run.Text == "1\u20130" ? "1-0" : run.Text == "0\u20131" ? "0-1" : "1/2-1/2";
      else if (run.Role == TRunRole::Move)
        line += run.Text;
    }
    pgn += (p.Indent == 1 ? "(" + line + ")" : line) + "\n";
  }
  return pgn;
}

TEST(GameText, RandomGamesReadBackFromTheirText) {
  std::mt19937 random(19);
  static constexpr const char* kChoices[] = {"marked", "start", "final", "every:2"};
  int deepest = 0;
  for (int round = 0; round < 60; ++round) {
    TRandomGame games(random);
    for (int game = 0; game < 3; ++game) games.Write(game);
    SCOPED_TRACE(games.Pgn());
    ASSERT_EQ(Transcript(games.Pgn()), games.Raw());
    const TPgnGameText text =
        PgnToGameText(games.Pgn(), Options(kChoices[round % 4], &EnglishLetterSet()));
    ASSERT_TRUE(text.Ok) << text.Reason;
    const std::string back = AsPgn(text.Paragraphs, games.Fens());
    ASSERT_EQ(Transcript(back), games.Printed()) << back;
    for (char d = '6'; d > '0' + deepest; --d)
      if (games.Raw().find(std::string(" ") + d + ":") != std::string::npos) deepest = d - '0';
  }
  EXPECT_EQ(deepest, 6);
}

}  // namespace
}  // namespace bq
