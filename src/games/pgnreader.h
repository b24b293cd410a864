#pragma once
// Reads the games of a PGN text one after the other, and the main line of
// each move by move: every position of the main line is reported with the
// diagram marks of the move that led to it. Variations are played and
// checked; for game text the reader also reports each move, NAG, comment
// and variation in the order of the text. Only a game's tags and the
// positions of the moment are kept (variations nest without recursion),
// so input of any length reads in bounded memory.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chess/marks.h"
#include "games/fen.h"
#include "games/movegen.h"
#include "games/pgnlexer.h"

namespace bq {

struct TPgnTag {
  std::string Name, Value;
};

enum class TPgnEvent : std::uint8_t {
  Position,  // a position of the main line, with all that the text says of it
  GameEnd,   // after the game's last position: Result()
  Error,     // the game cannot be read: Reason() says why
  End,       // no more games
  // Only with TPgnDetail::Text, for the line being read (Depth()):
  GameStart,       // the tags are read; the moves start from Current()
  Move,            // a move: San(), MovePly()
  Nag,             // Nag()
  Comment,         // CommentText(), whole or one piece of it
  VariationStart,  // a variation of the line's last move begins
  VariationEnd,    // the variation being read ends
};

enum class TPgnDetail : std::uint8_t {
  Positions,  // Position, GameEnd, Error, End
  Text,       // all events; a comment between games comes before GameStart
};

inline constexpr std::size_t kMaxVariationDepth = 32768;
inline constexpr std::size_t kMaxTagBytes = std::size_t{1} << 20;  // per game
inline constexpr std::size_t kMaxMoveMarks = 4096;                 // squares and arrows of one move

// Told of what the reader passes over, e.g. "game 3, move 12...Nf6: bad
// mark "Zd9" in csl: ...".
using TPgnWarning = std::function<void(const std::string&)>;

class TPgnGameReader {
 public:
  explicit TPgnGameReader(TPgnLexer lexer, TPgnDetail detail = TPgnDetail::Positions);

  // The next event. After an Error it first passes over the rest of the
  // bad game (to its result, or to the tags of the next game).
  TPgnEvent Next();

  // The game being read: its number from 1, its tags.
  long long Game() const { return game_; }
  const std::vector<TPgnTag>& Tags() const { return tags_; }
  // At Position and GameEnd: the position, how many moves of the main line
  // led to it, and the last of them, played from Before(). At the events of
  // game text, the same of the line being read (Ply() still counts the
  // main line). A move, and a variation's start or end, is reported before
  // it is taken, on the next call: at Move, Current() is the position the
  // move is played from; at VariationStart still that of the line it
  // branches from, at VariationEnd still that of the variation.
  const TGameState& Current() const { return line_.Current; }
  const TGameState& Before() const { return line_.Before; }
  TMove LastMove() const { return line_.Last; }
  int Ply() const { return ply_; }
  // At Position: the marks of the move that led to it ($220, $221 or a
  // comment holding [#]; for the start position those before the first
  // move). $221 asks for the board seen from Black. At the events of game
  // text, the marks so far of the line's last move (or of its start).
  bool DiagramMark() const { return mark_; }
  bool BlackView() const { return blackView_; }
  // The squares and arrows of the [%csl ...] and [%cal ...] commands in
  // the comments of the same move (or start), all of them in the order of
  // the text. A malformed command adds nothing and is told to OnWarning(),
  // as is (once) a command that would pass kMaxMoveMarks.
  const TMarks& Marks() const { return marks_; }
  void OnWarning(TPgnWarning warning) { warning_ = std::move(warning); }
  // The events of game text. Depth(): 0 in the main line, 1 in its
  // variations, and so on. At Move: the move in SAN with english letters,
  // and its ply from the game's start (1 for the first move). At Nag: its
  // number ($n, or ! ? !! ?? !? ?! as 1..6; 0 for other runs of ! and ?).
  // At Comment: its text as written, or a piece of it when it is long: then
  // the next Comment events hold the rest, all but the last CommentGoesOn().
  // At GameEnd: 1-0, 0-1, 1/2-1/2, * or empty when the game has none.
  int Depth() const { return static_cast<int>(frames_.size()); }
  const std::string& San() const { return san_; }
  int MovePly() const;
  long Nag() const { return nag_; }
  std::string_view CommentText() const { return lexer_.Text(); }
  bool CommentGoesOn() const { return lexer_.CommentGoesOn(); }
  const std::string& Result() const { return result_; }
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
    bool Mark = false, BlackView = false;
    TMarks Marks;
  };
  // A turn of line that game text reports before it is taken.
  enum class TTurn : std::uint8_t { None, Play, Open, Close };

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
  bool ReadMove();
  void Play();
  void TakeTurn();
  bool MayOpenVariation();
  void OpenVariation();
  void CloseVariation();
  std::optional<TPgnEvent> Turn(TTurn turn, TPgnEvent event);
  std::optional<TPgnEvent> Told(TPgnEvent event) const;
  void Note(TPgnToken token);
  void TakeMarks(const TPgnMarkCommand& command);
  std::string MoveNamed() const;
  void DropMarks();
  void SkipRest();

  TPgnLexer lexer_;
  bool text_ = false;  // TPgnDetail::Text
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
  TMarks marks_;
  bool marksFull_ = false;  // a command passed kMaxMoveMarks and was told of
  bool ended_ = false;      // the last event was GameEnd: its marks go now
  TPgnWarning warning_;
  std::string reason_;
  TTurn turn_ = TTurn::None;
  TMove move_;  // read, to be played
  std::string san_, result_;
  long nag_ = 0;
  int startPly_ = 0;  // of the start position, counted from move 1 with White to move
};

}  // namespace bq
