#pragma once
// PGN in, game text out: the paragraphs of each game as they are read,
// as TPgnEpdReader gives the records of the chosen positions.
#include <string>
#include <string_view>
#include <vector>

#include "games/gametext.h"
#include "games/pgnreader.h"

namespace bq {

class TPgnTextReader {
 public:
  // The letter sets of `options` must outlive the reader.
  explicit TPgnTextReader(TPgnLexer lexer, TGameTextOptions options = {});

  // Replaces `paragraphs` by the next ones that are complete. False at the
  // end of the input, or at a game that cannot be read (Failed(); the
  // paragraphs already given of that game are then void). Calling again
  // after a failure goes on with the next game.
  bool Next(std::vector<TGameParagraph>& paragraphs);

  bool Failed() const { return failed_; }
  // "Error in game N", and the reason, as TPgnEpdReader gives them.
  std::string Message() const { return "Error in game " + std::to_string(game_.Game()); }
  const std::string& Reason() const { return game_.Reason(); }
  long long Game() const { return game_.Game(); }

 private:
  TPgnGameReader game_;
  TGameTextBuilder builder_;
  bool failed_ = false;
};

struct TPgnGameText {
  bool Ok = true;
  std::vector<TGameParagraph> Paragraphs;  // empty on failure
  std::string Message, Reason;
};

// The whole text at once, for the desktop window and tests.
TPgnGameText PgnToGameText(std::string_view pgn, const TGameTextOptions& options = {});

}  // namespace bq
