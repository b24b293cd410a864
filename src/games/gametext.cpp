#include "games/gametext.h"

#include <array>

#include "games/records.h"
#include "games/san.h"

namespace bq {

namespace {

bool IsBlankByte(char c) {
  return static_cast<unsigned char>(c) <= ' ' || c == '\x7F';
}

// Each run of blanks or control bytes one blank, none at either end.
std::string Folded(std::string_view text) {
  std::string out;
  bool blank = false;
  for (const char c : text) {
    if (IsBlankByte(c)) {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::string TagText(const TPgnGameReader& game, std::string_view name) {
  for (const TPgnTag& tag : game.Tags())
    if (tag.Name == name) return Folded(tag.Value);
  return {};
}

// PGN writes "?" (or "-") for what it does not know; dates as "1999.??.??".
bool Known(std::string_view value) {
  return !value.empty() && value != "-" && value.find_first_not_of('?') != std::string_view::npos;
}

std::string Players(const TPgnGameReader& game) {
  const std::string white = TagText(game, "White"), black = TagText(game, "Black");
  std::string text = Known(white) ? white : std::string();
  if (Known(white) && Known(black)) text += " \u2013 ";
  if (Known(black)) text += black;
  return text;
}

// Event, Site, Round and the year of Date, of what the tags know.
std::string Occasion(const TPgnGameReader& game) {
  const std::string date = TagText(game, "Date");
  const std::string parts[] = {TagText(game, "Event"), TagText(game, "Site"),
                               TagText(game, "Round"), date.substr(0, date.find('.'))};
  std::string text;
  for (const std::string& part : parts) {
    if (!Known(part)) continue;
    if (!text.empty()) text += ", ";
    text += part;
  }
  return text;
}

// The printed NAGs: $1..$6 join their move, the others follow it.
std::string_view NagSymbol(long nag) {
  static constexpr std::array<std::pair<long, std::string_view>, 29> kSymbols = {{
      {1, "!"},        {2, "?"},        {3, "!!"},       {4, "??"},        {5, "!?"},
      {6, "?!"},       {7, "\u25A1"},   {10, "="},       {13, "\u221E"},   {14, "+/="},
      {15, "=/+"},     {16, "\u00B1"},  {17, "\u2213"},  {18, "+\u2212"},  {19, "\u2212+"},
      {22, "\u2A00"},  {23, "\u2A00"},  {32, "\u27F3"},  {33, "\u27F3"},   {36, "\u2191"},
      {37, "\u2191"},  {40, "\u2192"},  {41, "\u2192"},  {44, "=/\u221E"}, {45, "=/\u221E"},
      {132, "\u21C6"}, {133, "\u21C6"}, {140, "\u2206"}, {146, "N"},
  }};
  for (const auto& [number, symbol] : kSymbols)
    if (number == nag) return symbol;
  return {};
}

std::string_view ResultText(std::string_view result) {
  if (result == "1-0") return "1\u20130";
  if (result == "0-1") return "0\u20131";
  if (result == "1/2-1/2") return "\u00BD\u2013\u00BD";
  return {};
}

// The figurine of a piece code, knight to king.
std::string_view Figurine(std::size_t piece) {
  static constexpr std::array<std::string_view, 7> kFigurines = {
      "", "", "\u2658", "\u2657", "\u2656", "\u2655", "\u2654"};
  return kFigurines[piece];
}

}  // namespace

void TGameTextBuilder::TCommentText::Take(std::string_view piece, std::string& out) {
  for (const char c : piece) Step(c, out);
}

void TGameTextBuilder::TCommentText::Finish(std::string& out) {
  if (state_ != TState::Command) Release(out);  // an open command is left out to the end
  *this = TCommentText{};
}

void TGameTextBuilder::TCommentText::Step(char c, std::string& out) {
  if (state_ == TState::Command) {
    if (c == ']') state_ = TState::Text;
    return;
  }
  if (state_ == TState::BracketHash && c == ']') {
    state_ = TState::Text;
    return;
  }
  if (state_ == TState::Bracket && (c == '#' || c == '%')) {
    state_ = c == '#' ? TState::BracketHash : TState::Command;
    return;
  }
  Release(out);
  if (c == '[')
    state_ = TState::Bracket;
  else
    Put(c, out);
}

// A "[" or "[#" held back that is text after all.
void TGameTextBuilder::TCommentText::Release(std::string& out) {
  if (state_ == TState::Bracket || state_ == TState::BracketHash) Put('[', out);
  if (state_ == TState::BracketHash) Put('#', out);
  state_ = TState::Text;
}

void TGameTextBuilder::TCommentText::Put(char c, std::string& out) {
  if (IsBlankByte(c)) {
    blank_ = any_;
    return;
  }
  if (blank_) out += ' ';
  blank_ = false;
  any_ = true;
  out += c;
}

TGameTextBuilder::TGameTextBuilder(TGameTextOptions options)
    : options_(options), chooser_(options.Diagrams) {}

void TGameTextBuilder::Add(const TPgnGameReader& game, TPgnEvent event,
                           std::vector<TGameParagraph>& out) {
  out_ = &out;
  switch (event) {
    case TPgnEvent::Position:
    case TPgnEvent::Move:
    case TPgnEvent::VariationStart:
    case TPgnEvent::VariationEnd:
    case TPgnEvent::GameEnd:
      Settle(game);
      break;
    default:
      break;
  }
  switch (event) {
    case TPgnEvent::GameStart:
      StartGame(game);
      break;
    case TPgnEvent::Move:
      PutMove(game);
      break;
    case TPgnEvent::Nag:
      PutNag(game.Nag());
      unsettled_ = true;  // a mark may come after the diagram was decided
      break;
    case TPgnEvent::Comment:
      PutComment(game);
      unsettled_ = inGame_;
      break;
    case TPgnEvent::VariationStart:
      OpenVariation(game);
      break;
    case TPgnEvent::VariationEnd:
      CloseVariation(game);
      break;
    case TPgnEvent::GameEnd:
      EndGame(game);
      break;
    case TPgnEvent::Error:
      Drop();
      break;
    case TPgnEvent::End:
      EndParagraph();
      break;
    case TPgnEvent::Position:  // its diagram is settled above
      break;
  }
  out_ = nullptr;
}

void TGameTextBuilder::StartGame(const TPgnGameReader& game) {
  EndParagraph();  // comments before the game
  const std::string players = Players(game), occasion = Occasion(game);
  if (!players.empty()) {
    Put(players, TRunWeight::Bold, TRunKind::Text, TRunRole::Heading);
    EndParagraph();
  }
  if (!occasion.empty()) {
    Put(occasion, TRunWeight::Regular, TRunKind::Text, TRunRole::Heading);
    EndParagraph();
  }
  inGame_ = true;
  lines_.assign(1, TLine{});
  unsettled_ = true;  // the start position
  joinable_ = false;
}

void TGameTextBuilder::PutMove(const TPgnGameReader& game) {
  TLine& line = lines_.back();
  const TPositionCore& before = game.Current().Core;  // the move is yet to be played
  const bool white = before.SideToMove == cWhite;
  const TRunWeight weight = LineWeight();
  Separate(weight);
  if (white || line.NumberDue)
    Put(std::to_string(before.MoveNumber) + (white ? "." : "..."), weight, TRunKind::Text,
        TRunRole::Move);
  // The SAN's capitals are its piece letters ("O-O" has none).
  const std::string_view san = game.San(), english = EnglishPieceLetters();
  std::size_t from = 0;
  for (std::size_t at = 0; at < san.size(); ++at) {
    const std::size_t piece = english.find(san[at]);
    if (piece < pKnight || piece > pKing) continue;
    Put(san.substr(from, at - from), weight, TRunKind::Text, TRunRole::Move);
    const std::string_view symbol = options_.Notation
                                        ? std::string_view(&options_.Notation->Letters[piece], 1)
                                        : Figurine(piece);
    Put(symbol, weight, TRunKind::Piece, TRunRole::Move);
    from = at + 1;
  }
  Put(san.substr(from), weight, TRunKind::Text, TRunRole::Move);
  line = TLine{false, true, false};
  unsettled_ = true;
  joinable_ = true;
}

void TGameTextBuilder::PutNag(long nag) {
  const std::string_view symbol = NagSymbol(nag);
  if (symbol.empty()) return;
  const bool joined = nag <= 6;
  if (!joined || !joinable_) Separate(LineWeight());
  Put(symbol, LineWeight(), TRunKind::Text, TRunRole::Nag);
  joinable_ = joinable_ && joined;
}

// A comment is shown from its first printed character on, so that one
// that prints nothing leaves no trace.
void TGameTextBuilder::PutComment(const TPgnGameReader& game) {
  if (!inComment_) commentShown_ = false;
  inComment_ = game.CommentGoesOn();
  std::string text;
  comment_.Take(game.CommentText(), text);
  if (!inComment_) comment_.Finish(text);
  if (!text.empty()) {
    if (!commentShown_) Separate(TRunWeight::Regular);
    commentShown_ = true;
    Put(text, TRunWeight::Regular, TRunKind::Text, TRunRole::Comment);
  }
  if (inComment_ || !commentShown_) return;
  joinable_ = false;
  if (!lines_.empty()) lines_.back().NumberDue = true;
}

void TGameTextBuilder::OpenVariation(const TPgnGameReader& game) {
  joinable_ = false;
  if (game.Depth() == 0) {
    EndParagraph();
    indent_ = 1;
  } else {
    Separate(TRunWeight::Regular);
    Put("(", TRunWeight::Regular, TRunKind::Text, TRunRole::Move);
  }
  lines_.push_back(TLine{});
}

void TGameTextBuilder::CloseVariation(const TPgnGameReader& game) {
  joinable_ = false;
  lines_.pop_back();
  lines_.back().NumberDue = true;
  if (game.Depth() == 1) {
    EndParagraph();
    indent_ = 0;
  } else {
    Put(")", TRunWeight::Regular, TRunKind::Text, TRunRole::Move);
  }
}

void TGameTextBuilder::EndGame(const TPgnGameReader& game) {
  if (chooser_.AtGameEnd(game)) PutDiagram(game, false);
  const std::string_view result = ResultText(game.Result());
  if (!result.empty()) {
    Separate(TRunWeight::Bold);
    Put(result, TRunWeight::Bold, TRunKind::Text, TRunRole::Result);
  }
  EndParagraph();
  inGame_ = false;
  lines_.clear();
  separatorDue_ = printed_;
}

// The bad game's text so far is left as it came; nothing more of it.
void TGameTextBuilder::Drop() {
  paragraph_ = TGameParagraph{};
  bytes_ = 0;
  last_ = 0;
  indent_ = 0;
  inGame_ = inComment_ = unsettled_ = false;
  lines_.clear();
  comment_ = TCommentText{};
  separatorDue_ = printed_;
}

// A line's last move (or the game's start) has had all its NAGs and
// comments: its diagram, if it is drawn, comes now.
void TGameTextBuilder::Settle(const TPgnGameReader& game) {
  if (!unsettled_ || lines_.empty()) return;
  unsettled_ = false;
  TLine& line = lines_.back();
  if (line.Drawn) return;
  bool blackView = false;
  const bool drawn = lines_.size() == 1 ? chooser_.AtPosition(game, blackView)
                                        : line.HasMove && chooser_.InVariation(game, blackView);
  if (!drawn) return;
  line.Drawn = true;
  line.NumberDue = true;
  PutDiagram(game, blackView);
}

void TGameTextBuilder::PutDiagram(const TPgnGameReader& game, bool blackView) {
  EndParagraph();
  AppendGameRecord(paragraph_.Diagram, game, blackView,
                   options_.RecordLetters ? *options_.RecordLetters : EnglishLetterSet());
  Emit();
  joinable_ = false;
}

TRunWeight TGameTextBuilder::LineWeight() const {
  return lines_.size() == 1 ? TRunWeight::Bold : TRunWeight::Regular;
}

// The blank before the next part of a paragraph.
void TGameTextBuilder::Separate(TRunWeight weight) {
  if (last_ != 0 && last_ != '(') Put(" ", weight, TRunKind::Text, TRunRole::Move);
}

// Appends to the paragraph; a paragraph grown too long goes out in parts.
void TGameTextBuilder::Put(std::string_view text, TRunWeight weight, TRunKind kind, TRunRole role) {
  if (text.empty()) return;
  if (bytes_ + text.size() > kMaxGameParagraph && !paragraph_.Runs.empty()) {
    paragraph_.Continues = true;
    const char last = last_;
    Emit();
    last_ = last;
  }
  std::vector<TGameRun>& runs = paragraph_.Runs;
  if (runs.empty() || runs.back().Weight != weight || runs.back().Kind != kind ||
      runs.back().Role != role || kind == TRunKind::Piece)
    runs.push_back(TGameRun{std::string(), weight, kind, role});
  runs.back().Text += text;
  bytes_ += text.size();
  last_ = text.back();
}

void TGameTextBuilder::EndParagraph() {
  if (!paragraph_.Runs.empty()) Emit();
}

void TGameTextBuilder::Emit() {
  if (separatorDue_) out_->emplace_back();
  separatorDue_ = false;
  paragraph_.Indent = indent_;
  out_->push_back(std::move(paragraph_));
  paragraph_ = TGameParagraph{};
  bytes_ = 0;
  last_ = 0;
  printed_ = true;
}

}  // namespace bq
