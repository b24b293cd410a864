#include "games/pgnepd.h"

#include "games/records.h"

namespace bq {

TPgnEpdReader::TPgnEpdReader(TPgnLexer lexer, TDiagramPolicy policy, const TLetterSet* letters)
    : game_(std::move(lexer)),
      chooser_(policy),
      letters_(letters ? *letters : EnglishLetterSet()) {}

bool TPgnEpdReader::Next(std::string_view& line) {
  failed_ = false;
  for (;;) {
    bool blackView = false;
    switch (game_.Next()) {
      case TPgnEvent::Position:
        if (!chooser_.AtPosition(game_, blackView)) continue;
        break;
      case TPgnEvent::GameEnd:
        if (!chooser_.AtGameEnd(game_)) continue;
        break;
      case TPgnEvent::Error:
        failed_ = true;
        return false;
      case TPgnEvent::End:
        return false;
      default:  // events of game text, which this reader does not ask for
        continue;
    }
    line_.clear();
    AppendGameRecord(line_, game_, blackView, letters_);
    line = line_;
    return true;
  }
}

TPgnEpdText PgnToEpdText(std::string_view pgn, TDiagramPolicy policy, const TLetterSet* letters) {
  TPgnEpdReader reader{TPgnLexer(pgn), policy, letters};
  TPgnEpdText result;
  std::string_view line;
  while (reader.Next(line)) {
    result.Text += line;
    result.Text += '\n';
  }
  if (reader.Failed()) {
    result.Ok = false;
    result.Text.clear();
    result.Message = reader.Message();
    result.Reason = reader.Reason();
  }
  return result;
}

}  // namespace bq
