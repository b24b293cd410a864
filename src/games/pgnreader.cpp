#include "games/pgnreader.h"

#include <limits>

#include "games/san.h"
#include "support/ascii.h"

namespace bq {

namespace {

bool IsFENTag(std::string_view name) {
  return SameAsciiText(name, "fen");
}

void Apply(TGameState& state, TMove move) {
  const TPositionCore& core = state.Core;
  const bool irreversible =
      core.Board[move.From].Piece == pPawn || core.Board[move.To].Piece != pNone;
  state.HalfMoves = irreversible ? 0 : state.HalfMoves + 1;
  MakeMove(state.Core, move);
}

std::string Within(TTextPlace place) {
  return " (" + PlaceText(place) + ")";
}

}  // namespace

TPgnGameReader::TPgnGameReader(TPgnLexer lexer) : lexer_(std::move(lexer)) {}

TPgnToken TPgnGameReader::Take() {
  if (!held_) return lexer_.Next();
  held_ = false;
  return heldToken_;
}

void TPgnGameReader::Hold(TPgnToken token) {
  held_ = true;
  heldToken_ = token;
}

TPgnEvent TPgnGameReader::Next() {
  if (stage_ == TStage::Ending) {
    stage_ = TStage::BetweenGames;
    mark_ = blackView_ = false;  // a game's marks end with it
    return TPgnEvent::GameEnd;
  }
  if (stage_ == TStage::Failed) {
    SkipRest();
    mark_ = blackView_ = false;
  }
  for (;;) {
    if (stage_ == TStage::Done) return TPgnEvent::End;
    const TPgnToken token = Take();
    std::optional<TPgnEvent> event;
    if (stage_ == TStage::BetweenGames)
      event = BetweenGames(token);
    else if (stage_ == TStage::Tags)
      event = InTags(token);
    else
      event = InMoves(token);
    if (event) return *event;
  }
}

TPgnEvent TPgnGameReader::Fail(std::string reason) {
  reason_ = std::move(reason);
  stage_ = TStage::Failed;
  return TPgnEvent::Error;
}

TPgnEvent TPgnGameReader::FailHere(std::string what) {
  return Fail(what + Within(lexer_.Place()));
}

std::optional<TPgnEvent> TPgnGameReader::BetweenGames(TPgnToken token) {
  switch (token) {
    case TPgnToken::End:
      stage_ = TStage::Done;
      return TPgnEvent::End;
    case TPgnToken::Comment:
    case TPgnToken::Nag:  // may mark the start of a game without tags
      Note(token);
      return std::nullopt;
    case TPgnToken::Tag:
      StartGame(false);
      stage_ = TStage::Tags;
      if (!AddTag()) return TPgnEvent::Error;
      return std::nullopt;
    case TPgnToken::Error:
      StartGame(false);
      sawMoves_ = !lexer_.TagError();
      return FailHere(std::string(lexer_.Text()));
    default:
      StartGame(true);
      Hold(token);
      if (!StartMoves()) return TPgnEvent::Error;
      return std::nullopt;
  }
}

std::optional<TPgnEvent> TPgnGameReader::InTags(TPgnToken token) {
  if (token == TPgnToken::Tag) {
    if (!AddTag()) return TPgnEvent::Error;
    return std::nullopt;
  }
  if (token == TPgnToken::Error) {
    sawMoves_ = !lexer_.TagError();
    return FailHere(std::string(lexer_.Text()));
  }
  Hold(token);
  if (!StartMoves()) return TPgnEvent::Error;
  return std::nullopt;
}

std::optional<TPgnEvent> TPgnGameReader::InMoves(TPgnToken token) {
  switch (token) {
    case TPgnToken::MoveNumber:
      return std::nullopt;
    case TPgnToken::Move:
      if (frames_.empty() && !reported_) {  // its position is complete: report it first
        reported_ = true;
        Hold(token);
        return TPgnEvent::Position;
      }
      if (!Play()) return TPgnEvent::Error;
      return std::nullopt;
    case TPgnToken::Nag:
    case TPgnToken::Comment:
      if (frames_.empty()) Note(token);
      return std::nullopt;
    case TPgnToken::VariationStart:
      if (!OpenVariation()) return TPgnEvent::Error;
      return std::nullopt;
    case TPgnToken::VariationEnd:
      if (frames_.empty()) return FailHere("\")\" without \"(\"");
      CloseVariation();
      return std::nullopt;
    case TPgnToken::Error:
      return FailHere(std::string(lexer_.Text()));
    default:
      return EndOfGame(token);
  }
}

// A result, the tags of the next game or the end of the text.
std::optional<TPgnEvent> TPgnGameReader::EndOfGame(TPgnToken token) {
  if (!frames_.empty()) return Fail("variation not closed" + Within(frames_.back().Opened));
  if (token != TPgnToken::Result) Hold(token);
  stage_ = TStage::Ending;
  return TPgnEvent::Position;
}

void TPgnGameReader::StartGame(bool keepMarks) {
  ++game_;
  tags_.clear();
  tagBytes_ = 0;
  fenPlace_ = TTextPlace{};
  sawMoves_ = false;
  if (!keepMarks) mark_ = blackView_ = false;
}

bool TPgnGameReader::AddTag() {
  tagBytes_ += lexer_.Text().size() + lexer_.Value().size();
  if (tagBytes_ > kMaxTagBytes) {
    FailHere("the tags of the game hold more than 1 MiB");
    return false;
  }
  if (IsFENTag(lexer_.Text())) fenPlace_ = lexer_.Place();
  tags_.push_back(TPgnTag{std::string(lexer_.Text()), std::string(lexer_.Value())});
  return true;
}

bool TPgnGameReader::StartMoves() {
  stage_ = TStage::Moves;
  sawMoves_ = true;
  frames_.clear();
  ply_ = 0;
  reported_ = false;
  line_ = TLine{};
  SetStartPosition(line_.Current.Core);
  for (const TPgnTag& tag : tags_) {
    if (!IsFENTag(tag.Name)) continue;
    std::string why;
    if (!ReadFEN(tag.Value, line_.Current, &why)) {
      Fail("FEN tag: " + why + Within(fenPlace_));
      return false;
    }
  }
  return true;
}

bool TPgnGameReader::Play() {
  const TPositionCore& core = line_.Current.Core;
  const std::string_view text = lexer_.Text();
  TMove move;
  std::string why;
  const bool white = core.SideToMove == cWhite;
  if (!white && core.MoveNumber == std::numeric_limits<std::int16_t>::max())
    why = "the move number would pass 32767";
  else
    ReadSAN(core, text, move, &why);
  if (!why.empty()) {
    FailHere("move " + std::to_string(core.MoveNumber) + (white ? "." : "...") + std::string(text) +
             ": " + why);
    return false;
  }
  line_.Before = line_.Current;
  Apply(line_.Current, move);
  line_.Last = move;
  line_.HasMove = true;
  if (frames_.empty()) {
    ++ply_;
    reported_ = false;
    mark_ = blackView_ = false;
  }
  return true;
}

bool TPgnGameReader::OpenVariation() {
  if (!line_.HasMove) {
    FailHere("a variation before any move");
    return false;
  }
  if (frames_.size() >= kMaxVariationDepth) {
    FailHere("variations nested more than 32768 deep");
    return false;
  }
  frames_.push_back(TFrame{line_.Before, line_.Last, lexer_.Place()});
  line_.Current = line_.Before;
  line_.HasMove = false;
  return true;
}

void TPgnGameReader::CloseVariation() {
  const TFrame& frame = frames_.back();
  line_.Before = frame.Before;
  line_.Current = frame.Before;
  Apply(line_.Current, frame.Last);
  line_.Last = frame.Last;
  line_.HasMove = true;
  frames_.pop_back();
}

void TPgnGameReader::Note(TPgnToken token) {
  const bool mark = token == TPgnToken::Comment ? lexer_.DiagramMark()
                                                : lexer_.Number() == 220 || lexer_.Number() == 221;
  mark_ = mark_ || mark;
  blackView_ = blackView_ || (token == TPgnToken::Nag && lexer_.Number() == 221);
}

void TPgnGameReader::SkipRest() {
  for (;;) {
    const TPgnToken token = Take();
    switch (token) {
      case TPgnToken::End:
        Hold(token);
        stage_ = TStage::BetweenGames;
        return;
      case TPgnToken::Result:
        stage_ = TStage::BetweenGames;
        return;
      case TPgnToken::Tag:
        if (!sawMoves_) break;
        Hold(token);
        stage_ = TStage::BetweenGames;
        return;
      case TPgnToken::Error:
        sawMoves_ = sawMoves_ || !lexer_.TagError();
        break;
      default:
        sawMoves_ = true;
    }
  }
}

}  // namespace bq
