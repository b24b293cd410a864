#include "games/pgntext.h"

namespace bq {

TPgnTextReader::TPgnTextReader(TPgnLexer lexer, TGameTextOptions options)
    : game_(std::move(lexer), TPgnDetail::Text), builder_(options) {}

bool TPgnTextReader::Next(std::vector<TGameParagraph>& paragraphs) {
  paragraphs.clear();
  failed_ = false;
  for (;;) {
    const TPgnEvent event = game_.Next();
    builder_.Add(game_, event, paragraphs);
    if (event == TPgnEvent::Error) {
      failed_ = true;
      paragraphs.clear();
      return false;
    }
    if (event == TPgnEvent::End || !paragraphs.empty()) return !paragraphs.empty();
  }
}

TPgnGameText PgnToGameText(std::string_view pgn, const TGameTextOptions& options) {
  TPgnTextReader reader{TPgnLexer(pgn), options};
  TPgnGameText result;
  std::vector<TGameParagraph> paragraphs;
  while (reader.Next(paragraphs))
    for (TGameParagraph& paragraph : paragraphs) result.Paragraphs.push_back(std::move(paragraph));
  if (reader.Failed()) {
    result.Ok = false;
    result.Paragraphs.clear();
    result.Message = reader.Message();
    result.Reason = reader.Reason();
  }
  return result;
}

}  // namespace bq
