#pragma once
// PGN in, EPD records out: the records of the positions chosen from each
// game, one line each, ready for the EPD conversion as it stands. Streams:
// a game is read move by move and its records come as they are chosen.
#include <cstdio>
#include <string>
#include <string_view>

#include "chess/letters.h"
#include "games/choice.h"
#include "games/pgnreader.h"

namespace bq {

class TPgnEpdReader {
 public:
  // `letters` gives the words of c0 and the piece letters of its move
  // (the english set when null); it must outlive the reader.
  explicit TPgnEpdReader(TPgnLexer lexer, TDiagramPolicy policy = {},
                         const TLetterSet* letters = nullptr);

  // The next record, without a line end; the view holds until the next
  // call. False at the end of the input, or at a game that cannot be read
  // (Failed()). Calling again after a failure goes on with the next game.
  bool Next(std::string_view& line);

  // Told of each malformed mark command, which is passed over.
  void OnWarning(TPgnWarning warning) { game_.OnWarning(std::move(warning)); }

  bool Failed() const { return failed_; }
  // "Error in game N", and the reason, e.g. "move 23...Nf3: no black knight
  // can reach f3 (line 41, column 17)".
  std::string Message() const { return "Error in game " + std::to_string(game_.Game()); }
  const std::string& Reason() const { return game_.Reason(); }
  // The game the last record or failure belongs to (from 1).
  long long Game() const { return game_.Game(); }

 private:
  TPgnGameReader game_;
  TDiagramChooser chooser_;
  const TLetterSet& letters_;
  std::string line_;
  bool failed_ = false;
};

struct TPgnEpdText {
  bool Ok = true;
  std::string Text;  // the records, each ended by "\n"; empty on failure
  std::string Message, Reason;
};

// The whole text at once, for the desktop window and tests.
TPgnEpdText PgnToEpdText(std::string_view pgn, TDiagramPolicy policy = {},
                         const TLetterSet* letters = nullptr);

}  // namespace bq
