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

TPgnGameReader::TPgnGameReader(TPgnLexer lexer, TPgnDetail detail)
    : lexer_(std::move(lexer)), text_(detail == TPgnDetail::Text) {
  lexer_.KeepComments(text_);
}

int TPgnGameReader::MovePly() const {
  const TPositionCore& core = line_.Current.Core;
  return 2 * (core.MoveNumber - 1) + (core.SideToMove == cBlack ? 1 : 0) - startPly_ + 1;
}

std::optional<TPgnEvent> TPgnGameReader::Told(TPgnEvent event) const {
  if (!text_) return std::nullopt;
  return event;
}

// Game text reports a move, or a variation's start or end, before the
// reader takes it, so that the position it leaves can still be seen.
std::optional<TPgnEvent> TPgnGameReader::Turn(TTurn turn, TPgnEvent event) {
  turn_ = turn;
  if (text_) return event;
  TakeTurn();
  return std::nullopt;
}

void TPgnGameReader::TakeTurn() {
  switch (turn_) {
    case TTurn::Play:
      Play();
      break;
    case TTurn::Open:
      OpenVariation();
      break;
    case TTurn::Close:
      CloseVariation();
      break;
    case TTurn::None:
      break;
  }
  turn_ = TTurn::None;
}

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
  TakeTurn();
  if (ended_) DropMarks();
  ended_ = false;
  if (stage_ == TStage::Ending) {
    stage_ = TStage::BetweenGames;
    mark_ = blackView_ = false;  // a game's marks end with it
    ended_ = true;  // but the final position keeps its squares and arrows for its record
    return TPgnEvent::GameEnd;
  }
  if (stage_ == TStage::Failed) {
    SkipRest();
    mark_ = blackView_ = false;
    DropMarks();
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
      return token == TPgnToken::Comment ? Told(TPgnEvent::Comment) : std::nullopt;
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
      return Told(TPgnEvent::GameStart);
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
  return Told(TPgnEvent::GameStart);
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
      if (!ReadMove()) return TPgnEvent::Error;
      return Turn(TTurn::Play, TPgnEvent::Move);
    case TPgnToken::Nag:
      Note(token);
      nag_ = lexer_.Number();
      return Told(TPgnEvent::Nag);
    case TPgnToken::Comment:
      Note(token);
      return Told(TPgnEvent::Comment);
    case TPgnToken::VariationStart:
      if (!MayOpenVariation()) return TPgnEvent::Error;
      return Turn(TTurn::Open, TPgnEvent::VariationStart);
    case TPgnToken::VariationEnd:
      if (frames_.empty()) return FailHere("\")\" without \"(\"");
      return Turn(TTurn::Close, TPgnEvent::VariationEnd);
    case TPgnToken::Error:
      return FailHere(std::string(lexer_.Text()));
    default:
      return EndOfGame(token);
  }
}

// A result, the tags of the next game or the end of the text.
std::optional<TPgnEvent> TPgnGameReader::EndOfGame(TPgnToken token) {
  if (!frames_.empty()) return Fail("variation not closed" + Within(frames_.back().Opened));
  result_ = token == TPgnToken::Result ? lexer_.Text() : std::string_view();
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
  result_.clear();
  if (keepMarks) return;
  mark_ = blackView_ = false;
  DropMarks();
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
  const TPositionCore& start = line_.Current.Core;
  startPly_ = 2 * (start.MoveNumber - 1) + (start.SideToMove == cBlack ? 1 : 0);
  return true;
}

bool TPgnGameReader::ReadMove() {
  const TPositionCore& core = line_.Current.Core;
  const std::string_view text = lexer_.Text();
  TMove& move = move_;
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
  if (text_) {
    san_.clear();
    AppendSAN(san_, core, move);
  }
  return true;
}

void TPgnGameReader::Play() {
  line_.Before = line_.Current;
  Apply(line_.Current, move_);
  line_.Last = move_;
  line_.HasMove = true;
  mark_ = blackView_ = false;
  DropMarks();
  if (frames_.empty()) {
    ++ply_;
    reported_ = false;
  }
}

bool TPgnGameReader::MayOpenVariation() {
  if (!line_.HasMove) {
    FailHere("a variation before any move");
    return false;
  }
  if (frames_.size() >= kMaxVariationDepth) {
    FailHere("variations nested more than 32768 deep");
    return false;
  }
  return true;
}

// A variation's marks are its own: those of the line it leaves come back
// when it closes.
void TPgnGameReader::OpenVariation() {
  frames_.push_back(
      TFrame{line_.Before, line_.Last, lexer_.Place(), mark_, blackView_, std::move(marks_)});
  line_.Current = line_.Before;
  line_.HasMove = false;
  mark_ = blackView_ = false;
  DropMarks();
}

void TPgnGameReader::CloseVariation() {
  const TFrame& frame = frames_.back();
  line_.Before = frame.Before;
  line_.Current = frame.Before;
  Apply(line_.Current, frame.Last);
  line_.Last = frame.Last;
  line_.HasMove = true;
  mark_ = frame.Mark;
  blackView_ = frame.BlackView;
  marks_ = std::move(frame.Marks);
  marksFull_ = false;
  frames_.pop_back();
}

void TPgnGameReader::Note(TPgnToken token) {
  const bool mark = token == TPgnToken::Comment ? lexer_.DiagramMark()
                                                : lexer_.Number() == 220 || lexer_.Number() == 221;
  mark_ = mark_ || mark;
  blackView_ = blackView_ || (token == TPgnToken::Nag && lexer_.Number() == 221);
  if (token != TPgnToken::Comment) return;
  if (const TPgnMarkCommand* command = lexer_.MarkCommand()) TakeMarks(*command);
}

// Databases write commands of their own, so a bad one is passed over with
// a warning rather than failing the game.
void TPgnGameReader::TakeMarks(const TPgnMarkCommand& command) {
  const std::string name = AsciiLower(command.Name);
  std::string why;
  TMarks marks;
  if (!command.Closed)
    why = "a " + name + " command without \"]\"";
  else if (command.TooLong)
    why = "a " + name + " command longer than " + std::to_string(kMaxPgnMarkCommand) + " bytes";
  else
    AddMarks(name, command.Operand, marks, &why);
  const std::size_t count =
      marks_.Squares.size() + marks_.Arrows.size() + marks.Squares.size() + marks.Arrows.size();
  if (why.empty() && count > kMaxMoveMarks) {
    if (marksFull_) return;  // told once is enough
    marksFull_ = true;
    why = "more than " + std::to_string(kMaxMoveMarks) + " marks for one position";
  }
  if (!why.empty()) {
    const long long game = stage_ == TStage::BetweenGames ? game_ + 1 : game_;
    if (warning_) warning_("game " + std::to_string(game) + ", " + MoveNamed() + ": " + why);
    return;
  }
  marks_.Squares.insert(marks_.Squares.end(), marks.Squares.begin(), marks.Squares.end());
  marks_.Arrows.insert(marks_.Arrows.end(), marks.Arrows.begin(), marks.Arrows.end());
}

void TPgnGameReader::DropMarks() {
  marks_.Clear();
  marksFull_ = false;
}

// "move 12...Nf6": the move whose comments are being read.
std::string TPgnGameReader::MoveNamed() const {
  if (stage_ == TStage::BetweenGames || (!line_.HasMove && frames_.empty()))
    return "before the first move";
  if (!line_.HasMove) return "before the first move of a variation";
  const TPositionCore& before = line_.Before.Core;
  std::string text = "move " + std::to_string(before.MoveNumber);
  text += before.SideToMove == cWhite ? "." : "...";
  AppendSAN(text, before, line_.Last);
  return text;
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
