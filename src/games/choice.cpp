#include "games/choice.h"

#include "support/ascii.h"

namespace bq {

bool ParseDiagramPolicy(std::string_view text, TDiagramPolicy& policy, std::string* why) {
  static constexpr std::pair<std::string_view, TDiagramChoice> kNames[] = {
      {"marked", TDiagramChoice::Marked},
      {"final", TDiagramChoice::Final},
      {"start", TDiagramChoice::Start}};
  const std::string lower = AsciiLower(text);
  for (const auto& [name, choice] : kNames) {
    if (lower != name) continue;
    policy = TDiagramPolicy{choice, 1};
    return true;
  }
  if (lower.size() > 6 && lower.compare(0, 6, "every:") == 0) {
    const std::string_view digits = text.substr(6);
    long n = 0;
    bool ok = digits.size() <= 6;
    for (const char c : digits) {
      ok = ok && c >= '0' && c <= '9';
      n = n * 10 + (c - '0');
    }
    if (ok && n >= 1) {
      policy = TDiagramPolicy{TDiagramChoice::Every, static_cast<int>(n)};
      return true;
    }
  }
  if (why)
    *why = "diagrams must be marked, final, start or every:N (N a move count from 1), not \"" +
           std::string(text) + "\"";
  return false;
}

std::string DiagramPolicyText(const TDiagramPolicy& policy) {
  switch (policy.Choice) {
    case TDiagramChoice::Final:
      return "final";
    case TDiagramChoice::Start:
      return "start";
    case TDiagramChoice::Every:
      return "every:" + std::to_string(policy.Every);
    default:
      return "marked";
  }
}

bool TDiagramChooser::AtPosition(const TPgnGameReader& game, bool& blackView) {
  if (game.Ply() == 0) drawnInGame_ = false;
  blackView = false;
  const TPositionCore& core = game.Current().Core;
  switch (policy_.Choice) {
    case TDiagramChoice::Marked:
      drawnLast_ = game.DiagramMark();
      blackView = game.BlackView();
      break;
    case TDiagramChoice::Start:
      drawnLast_ = game.Ply() == 0;
      break;
    case TDiagramChoice::Final:
      drawnLast_ = false;
      break;
    case TDiagramChoice::Every:
      // Black has just played move MoveNumber - 1.
      drawnLast_ =
          game.Ply() > 0 && core.SideToMove == cWhite && (core.MoveNumber - 1) % policy_.Every == 0;
      break;
  }
  drawnInGame_ = drawnInGame_ || drawnLast_;
  return drawnLast_;
}

bool TDiagramChooser::InVariation(const TPgnGameReader& game, bool& blackView) {
  blackView = false;
  if (policy_.Choice != TDiagramChoice::Marked || !game.DiagramMark()) return false;
  blackView = game.BlackView();
  drawnInGame_ = true;
  return true;
}

bool TDiagramChooser::AtGameEnd(const TPgnGameReader&) {
  switch (policy_.Choice) {
    case TDiagramChoice::Marked:
      return !drawnInGame_;
    case TDiagramChoice::Final:
      return true;
    case TDiagramChoice::Start:
      return false;
    case TDiagramChoice::Every:
      return !drawnLast_;
  }
  return false;
}

}  // namespace bq
