#pragma once
// Which positions of a game become diagrams.
#include <string>
#include <string_view>

#include "games/pgnreader.h"

namespace bq {

enum class TDiagramChoice : std::uint8_t {
  Marked,  // after every move marked $220, $221 or {[#]}; else the final position
  Final,   // the final position
  Start,   // the start position
  Every,   // after Black's move in every N-th move, and the final position
};

struct TDiagramPolicy {
  TDiagramChoice Choice = TDiagramChoice::Marked;
  int Every = 1;  // N of Every
  bool operator==(const TDiagramPolicy&) const = default;
};

// "marked", "final", "start" or "every:N" (N from 1), in any case. False
// with `why` for anything else.
bool ParseDiagramPolicy(std::string_view text, TDiagramPolicy& policy, std::string* why = nullptr);
// The policy as ParseDiagramPolicy reads it: "marked", ..., "every:3".
std::string DiagramPolicyText(const TDiagramPolicy& policy);

// Follows one reader's events and tells which positions are drawn.
class TDiagramChooser {
 public:
  explicit TDiagramChooser(TDiagramPolicy policy) : policy_(policy) {}
  // At a Position event: whether its position is drawn; `blackView` then
  // says whether from Black's side.
  bool AtPosition(const TPgnGameReader& game, bool& blackView);
  // Game text, after a move of a variation: whether its position is drawn
  // (only a marked one, when marks choose; then the game has a diagram and
  // its final position is not drawn for want of one).
  bool InVariation(const TPgnGameReader& game, bool& blackView);
  // At GameEnd: whether the final position (that of the game's last
  // Position event) is drawn as well.
  bool AtGameEnd(const TPgnGameReader& game);

 private:
  TDiagramPolicy policy_;
  bool drawnInGame_ = false;  // some position of this game was drawn
  bool drawnLast_ = false;    // the last position was drawn
};

}  // namespace bq
