#pragma once
// Reads the games of a PGN text one after the other, and the main line of
// each move by move: every position of the main line is reported with the
// diagram marks of the move that led to it. Variations are played and
// checked but report nothing. Only a game's tags and the positions of the
// moment are kept (variations nest without recursion), so input of any
// length reads in bounded memory.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "games/fen.h"
#include "games/movegen.h"
#include "games/pgnlexer.h"

namespace bq {

struct TPgnTag {
  std::string Name, Value;
};

enum class TPgnEvent : std::uint8_t {
  Position,  // a position of the main line, with all that the text says of it
  GameEnd,   // after the game's last position
  Error,     // the game cannot be read: Reason() says why
  End,       // no more games
};

inline constexpr std::size_t kMaxVariationDepth = 32768;
inline constexpr std::size_t kMaxTagBytes = std::size_t{1} << 20;  // per game

class TPgnGameReader {
 public:
  explicit TPgnGameReader(TPgnLexer lexer);

  // The next event. After an Error it first passes over the rest of the
  // bad game (to its result, or to the tags of the next game).
  TPgnEvent Next();

  // The game being read: its number from 1, its tags.
  long long Game() const { return game_; }
  const std::vector<TPgnTag>& Tags() const { return tags_; }
  // At Position and GameEnd: the position, how many moves of the main line
  // led to it, and the last of them, played from Before().
  const TGameState& Current() const { return line_.Current; }
  const TGameState& Before() const { return line_.Before; }
  TMove LastMove() const { return line_.Last; }
  int Ply() const { return ply_; }
  // At Position: the marks of the move that led to it ($220, $221 or a
  // comment holding [#]; for the start position those before the first
  // move). $221 asks for the board seen from Black.
  bool DiagramMark() const { return mark_; }
  bool BlackView() const { return blackView_; }
  // At Error: what is wrong and where, e.g. "move 23...Nf3: no black
  // knight can reach f3 (line 41, column 17)".
  const std::string& Reason() const { return reason_; }

 private:
  enum class TStage : std::uint8_t { BetweenGames, Tags, Moves, Ending, Failed, Done };
  // One line of play: the main line, or the variation being read.
  struct TLine {
    TGameState Current, Before;
    TMove Last;
    bool HasMove = false;
  };
  // A variation's way back to the line it branches from.
  struct TFrame {
    TGameState Before;
    TMove Last;
    TTextPlace Opened;
  };

  TPgnToken Take();
  void Hold(TPgnToken token);
  std::optional<TPgnEvent> BetweenGames(TPgnToken token);
  std::optional<TPgnEvent> InTags(TPgnToken token);
  std::optional<TPgnEvent> InMoves(TPgnToken token);
  std::optional<TPgnEvent> EndOfGame(TPgnToken token);
  TPgnEvent Fail(std::string reason);
  TPgnEvent FailHere(std::string what);
  void StartGame(bool keepMarks);
  bool StartMoves();
  bool AddTag();
  bool Play();
  bool OpenVariation();
  void CloseVariation();
  void Note(TPgnToken token);
  void SkipRest();

  TPgnLexer lexer_;
  TStage stage_ = TStage::BetweenGames;
  bool held_ = false;
  TPgnToken heldToken_ = TPgnToken::End;
  long long game_ = 0;
  std::vector<TPgnTag> tags_;
  std::size_t tagBytes_ = 0;
  TTextPlace fenPlace_;
  bool sawMoves_ = false;  // the game's text has gone past its tags
  bool reported_ = false;  // the current main-line position had its event
  TLine line_;
  std::vector<TFrame> frames_;
  int ply_ = 0;
  bool mark_ = false, blackView_ = false;
  std::string reason_;
};

}  // namespace bq
