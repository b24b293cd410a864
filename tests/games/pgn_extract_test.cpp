// The position after every move of a set of games, against what the
// program pgn-extract makes of them (Debian package pgn-extract).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "chess/fen.h"
#include "games/fen.h"
#include "games/pgnreader.h"

namespace bq {
namespace {

namespace fs = std::filesystem;
using TGames = std::vector<std::vector<std::string>>;  // per game, the fields of each position

// A Linux program: a Windows build under Wine sees its file but cannot run it.
std::string Tool() {
#ifdef _WIN32
  return {};
#endif
  for (const char* path : {"/usr/games/pgn-extract", "/usr/bin/pgn-extract"})
    if (fs::exists(path)) return path;
  return {};
}

// The first four fields of each line: placement, side, castling, en passant.
std::string FourFields(const std::string& line) {
  std::size_t end = 0;
  for (int i = 0; i < 4 && end != std::string::npos; ++i) end = line.find(' ', end + 1);
  return line.substr(0, end);
}

// -Wepd writes a game's positions one a line, and a blank line after each game.
TGames TheirGames(const std::string& tool, const std::string& pgn) {
  const testing::TempDir dir;
  const std::string out = dir / "out.epd";
  const std::string command =
      tool + " -s --quiet -Wepd -o\"" + out + "\" \"" + pgn + "\" 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  TGames games(1);
  std::ifstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.find('/') == std::string::npos) {
      if (!games.back().empty()) games.emplace_back();
    } else {
      games.back().push_back(FourFields(line));
    }
  }
  if (games.back().empty()) games.pop_back();
  return games;
}

TGames OurGames(const std::string& pgn) {
  std::FILE* file = std::fopen(pgn.c_str(), "rb");
  EXPECT_NE(file, nullptr) << pgn;
  if (!file) return {};
  TPgnGameReader reader{TPgnLexer(file)};
  TGames games(1);
  for (TPgnEvent e = reader.Next(); e != TPgnEvent::End; e = reader.Next()) {
    if (e == TPgnEvent::Error)
      ADD_FAILURE() << pgn << ": game " << reader.Game() << ": " << reader.Reason();
    if (e == TPgnEvent::GameEnd) games.emplace_back();
    if (e != TPgnEvent::Position) continue;
    std::string fields;
    fields += EPDFields(reader.Current().Core);
    games.back().push_back(fields);
  }
  std::fclose(file);
  games.pop_back();
  return games;
}

TEST(PgnExtract, SamePositionAfterEveryMove) {
  const std::string tool = Tool();
  if (tool.empty()) GTEST_SKIP() << "pgn-extract is not installed";
  std::vector<std::string> files = {BQ_SOURCE_DIR "/tests/games/data/games.pgn"};
  if (fs::exists("/usr/share/pgn-extract/eco.pgn"))
    files.push_back("/usr/share/pgn-extract/eco.pgn");
  long long positions = 0, passantKept = 0, passantDropped = 0;
  for (const std::string& pgn : files) {
    const TGames theirs = TheirGames(tool, pgn), ours = OurGames(pgn);
    ASSERT_EQ(ours.size(), theirs.size()) << pgn;
    for (std::size_t g = 0; g < ours.size(); ++g) {
      ASSERT_EQ(ours[g].size(), theirs[g].size()) << pgn << ", game " << g + 1;
      for (std::size_t i = 0; i < ours[g].size(); ++i) {
        // pgn-extract writes an en-passant square after every double step;
        // ours stands only where a capture there is legal.
        TGameState state;
        std::string why, byOurRule;
        ASSERT_TRUE(ReadFEN(theirs[g][i], state, &why)) << theirs[g][i] << ": " << why;
        byOurRule += EPDFields(state.Core);
        ASSERT_EQ(ours[g][i], byOurRule) << pgn << ", game " << g + 1 << ", position " << i;
        const bool passant = theirs[g][i].back() != '-';
        passantKept += passant && byOurRule == theirs[g][i];
        passantDropped += passant && byOurRule != theirs[g][i];
        ++positions;
      }
    }
  }
  EXPECT_GT(passantKept, 0);
  EXPECT_GT(passantDropped, 0);
  if (files.size() > 1) {
    EXPECT_GT(positions, 22000);  // eco.pgn alone holds some 22,500
  }
}

}  // namespace
}  // namespace bq
