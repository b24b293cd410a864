#include "games/records.h"

#include <array>

#include "chess/fen.h"
#include "games/san.h"
#include "support/ascii.h"

namespace bq {

namespace {

constexpr std::array<std::string_view, 8> kOwnOpcodes = {"id",   "pm",   "c0",  "hmvc",
                                                         "fmvn", "view", "csl", "cal"};

void AppendQuoted(std::string& out, std::string_view value) {
  out += '"';
  bool blank = false, any = false;
  for (const char ch : value) {
    if (static_cast<unsigned char>(ch) <= ' ') {
      blank = any;
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    any = true;
    out += ch == '"' ? '\'' : ch == ';' ? ',' : ch;
  }
  out += '"';
}

void AppendOperation(std::string& out, std::string_view opcode, std::string_view operand,
                     bool quoted) {
  out += ' ';
  out += opcode;
  out += ' ';
  if (quoted)
    AppendQuoted(out, operand);
  else
    out += operand;
  out += ';';
}

std::string_view TagValue(const TPgnGameReader& game, std::string_view name) {
  for (const TPgnTag& tag : game.Tags())
    if (tag.Name == name) return tag.Value;
  return {};
}

// PGN writes "?" for what it does not know; dates as "1999.??.??".
bool Known(std::string_view value) {
  return value.find_first_not_of("? \t") != std::string_view::npos;
}

// "White – Black, Event Year" of what the tags know.
std::string GameId(const TPgnGameReader& game) {
  const std::string_view white = TagValue(game, "White"), black = TagValue(game, "Black");
  const std::string_view event = TagValue(game, "Event"), date = TagValue(game, "Date");
  const std::string_view year = date.substr(0, date.find('.'));
  std::string players, occasion;
  if (Known(white)) players = white;
  if (Known(white) && Known(black)) players += " \xE2\x80\x93 ";  // an en dash, in UTF-8
  if (Known(black)) players += black;
  if (Known(event)) occasion = event;
  if (Known(event) && Known(year)) occasion += ' ';
  if (Known(year)) occasion += year;
  if (!players.empty() && !occasion.empty()) players += ", ";
  return players + occasion;
}

// "23...Nf3" for Black's move, "23.Nf3" for White's.
std::string MoveShown(const TPgnGameReader& game, std::string_view letters) {
  const TPositionCore& before = game.Before().Core;
  std::string text = std::to_string(before.MoveNumber);
  text += before.SideToMove == cWhite ? "." : "...";
  AppendSAN(text, before, game.LastMove(), letters);
  return text;
}

std::string Moment(const TPgnGameReader& game, const TLetterSet& letters) {
  if (game.Ply() == 0) return letters.Words[15];
  std::string text = letters.Words[14];
  const std::size_t at = text.find("%s");
  if (at == std::string::npos) return text;
  return text.replace(at, 2, MoveShown(game, {letters.Letters.data(), letters.Letters.size()}));
}

}  // namespace

void AppendGameRecord(std::string& out, const TPgnGameReader& game, bool blackView,
                      const TLetterSet& letters) {
  out += EPDFields(game.Current().Core);
  const std::string id = GameId(game);
  if (!id.empty()) AppendOperation(out, "id", id, true);
  if (game.Ply() > 0) {
    std::string san;
    AppendSAN(san, game.Before().Core, game.LastMove());
    AppendOperation(out, "pm", san, false);
  }
  AppendOperation(out, "c0", Moment(game, letters), true);
  AppendOperation(out, "hmvc", std::to_string(game.Current().HalfMoves), false);
  AppendOperation(out, "fmvn", std::to_string(game.Current().Core.MoveNumber), false);
  if (blackView) AppendOperation(out, "view", "black", true);
  const TMarks& marks = game.Marks();
  if (!marks.Squares.empty()) AppendOperation(out, "csl", SquareMarksText(marks.Squares), true);
  if (!marks.Arrows.empty()) AppendOperation(out, "cal", ArrowMarksText(marks.Arrows), true);
  for (const TPgnTag& tag : game.Tags()) {
    const std::string name = AsciiLower(tag.Name);
    bool own = false;
    for (const std::string_view opcode : kOwnOpcodes) own = own || name == opcode;
    if (!own) AppendOperation(out, name, tag.Value, true);
  }
}

}  // namespace bq
