#pragma once
// The command line's games: `pgn2epd`, and `check` of PGN input.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace bq {

// boardquill pgn2epd [--diagrams marked|final|start|every:N] [FILE|-]
// Prints the EPD records of the positions chosen from the games, one a
// line: all of them, or none when a game cannot be read ("Error in game N"
// and the reason on standard error). `args` follow "pgn2epd". Returns the
// exit status: 0, 1 for a bad game, 2 for usage and file errors.
int RunPgn2Epd(const std::vector<std::string>& args, std::FILE* out = stdout,
               std::FILE* err = stderr);

struct TPgnCheckTotals {
  long long Games = 0;
  long long Positions = 0;  // records the good games give with the default diagrams
  long long Errors = 0;     // bad games
};

// `check` of one PGN input: one line "NAME: error: game N: REASON" per
// bad game on `out`, and the counts added to `totals`. `head` holds the
// bytes already taken from `in` (see ReadInputHead). A read error throws
// std::runtime_error.
void CheckPgnInput(std::FILE* in, std::string head, const std::string& name,
                   TPgnCheckTotals& totals, std::FILE* out = stdout);
// "G games, P positions, E errors"
std::string PgnCheckSummary(const TPgnCheckTotals& totals);

}  // namespace bq
