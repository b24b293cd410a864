#pragma once
// Game text: a game printed as an annotated article. The builder follows
// a game-text reader's events and turns them into paragraphs of plain data
// (runs of text with a weight, figurines apart, indents and diagram
// places) that each document writer sets in its own format. It keeps no
// game tree: a paragraph comes out as soon as it is complete.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chess/letters.h"
#include "games/choice.h"
#include "games/pgnreader.h"

namespace bq {

enum class TRunWeight : std::uint8_t { Regular, Bold };
// Piece: one figurine or piece letter of a move, for a writer to set in
// its figurine font.
enum class TRunKind : std::uint8_t { Text, Piece };
// What a run is part of. Move: move numbers, moves, and the blanks and
// parentheses between the parts of a line.
enum class TRunRole : std::uint8_t { Heading, Move, Nag, Comment, Result };

// Text in UTF-8. Comments and tag values keep their bytes as read, but
// with commands, control bytes and extra blanks left out; a byte there that
// is no part of well-formed UTF-8 is meant as Windows-1252, as in records.
struct TGameRun {
  std::string Text;
  TRunWeight Weight = TRunWeight::Regular;
  TRunKind Kind = TRunKind::Text;
  TRunRole Role = TRunRole::Move;
  bool operator==(const TGameRun&) const = default;
};

inline constexpr std::size_t kMaxGameParagraph = std::size_t{1} << 20;  // bytes of text

// A paragraph of text, an empty one (between games), or a diagram.
struct TGameParagraph {
  int Indent = 0;  // 0 heading and main line; 1 a variation of a main-line move
  std::vector<TGameRun> Runs;
  // A diagram paragraph has no runs: the EPD record of its position, as
  // PGN input gives it (operations id, pm, c0, ..., view "black" for $221;
  // meant for the caption, not to be printed above the board).
  std::string Diagram;
  // The next paragraph goes on with this one's text: a paragraph of more
  // than kMaxGameParagraph bytes comes in parts, to bound memory.
  bool Continues = false;
  bool IsDiagram() const { return !Diagram.empty(); }
};

struct TGameTextOptions {
  TDiagramPolicy Diagrams;
  // The piece letters of the moves (Letters[2..6]); null for figurines,
  // the Unicode symbols U+2654..2658 for both colours.
  const TLetterSet* Notation = nullptr;
  // The words and letters of the diagrams' records (english when null).
  const TLetterSet* RecordLetters = nullptr;
};

class TGameTextBuilder {
 public:
  explicit TGameTextBuilder(TGameTextOptions options = {});

  // Takes the event that `game`, a reader of TPgnDetail::Text, has just
  // given, and appends the paragraphs it completes to `out`. After Error
  // the rest of the bad game is dropped; at End the last paragraph comes.
  void Add(const TPgnGameReader& game, TPgnEvent event, std::vector<TGameParagraph>& out);

 private:
  // A line being printed: the main line, or a variation.
  struct TLine {
    bool NumberDue = true;  // its next move shows its number, Black's too
    bool HasMove = false;
    bool Drawn = false;  // its last move's position has its diagram
  };
  // Comment text as printed, piece by piece: commands [%...] and the
  // diagram mark [#] left out, each run of blanks or control bytes one
  // blank, none at either end.
  class TCommentText {
   public:
    void Take(std::string_view piece, std::string& out);
    void Finish(std::string& out);  // at the comment's end

   private:
    enum class TState : std::uint8_t { Text, Bracket, BracketHash, Command };
    void Step(char c, std::string& out);
    void Release(std::string& out);
    void Put(char c, std::string& out);
    TState state_ = TState::Text;
    bool blank_ = false, any_ = false;
  };

  void StartGame(const TPgnGameReader& game);
  void PutMove(const TPgnGameReader& game);
  void PutNag(long nag);
  void PutComment(const TPgnGameReader& game);
  void OpenVariation(const TPgnGameReader& game);
  void CloseVariation(const TPgnGameReader& game);
  void EndGame(const TPgnGameReader& game);
  void Drop();
  void Settle(const TPgnGameReader& game);
  void PutDiagram(const TPgnGameReader& game, bool blackView);

  TRunWeight LineWeight() const;
  void Separate(TRunWeight weight);
  void Put(std::string_view text, TRunWeight weight, TRunKind kind, TRunRole role);
  void EndParagraph();
  void Emit();

  TGameTextOptions options_;
  TDiagramChooser chooser_;
  std::vector<TGameParagraph>* out_ = nullptr;  // of the event being taken
  bool inGame_ = false;
  std::vector<TLine> lines_;  // the main line, then each variation open in it
  bool unsettled_ = false;    // the current line's diagram is not decided yet
  bool joinable_ = false;     // a NAG $1..$6 joins what was put last
  TCommentText comment_;
  bool inComment_ = false, commentShown_ = false;
  int indent_ = 0;
  TGameParagraph paragraph_;
  std::size_t bytes_ = 0;
  char last_ = 0;  // the paragraph's last byte; 0 when it has none
  bool printed_ = false, separatorDue_ = false;
};

}  // namespace bq
