#pragma once
// Cuts PGN text into tokens, from memory or streamed from a file in
// chunks. Only the current token is kept, and the longest token is
// bounded: comments of any size pass through unstored, or, when their text
// is kept, in pieces.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace bq {

enum class TPgnToken : std::uint8_t {
  End,
  Tag,             // [Name "Value"]; Text() the name, Value() the value
  MoveNumber,      // 12 (the periods after it are skipped); Number()
  Move,            // any other symbol: Text()
  Result,          // 1-0, 0-1, 1/2-1/2 or *: Text()
  Nag,             // $n, or ! ? !! ?? !? ?! as their numbers 1..6: Number()
  Comment,         // {...} or ; to the end of the line: DiagramMark(), MarkCommand(); kept: Text()
  VariationStart,  // (
  VariationEnd,    // )
  Error,           // Text() says what is wrong at Place()
};

// 1-based; columns count characters (UTF-8 sequences as one).
struct TTextPlace {
  long long Line = 1;
  long long Column = 1;
};
// "line 41, column 17"
std::string PlaceText(TTextPlace place);

inline constexpr std::size_t kMaxPgnSymbol = 255;        // move texts and tag names
inline constexpr std::size_t kMaxPgnTagValue = 1 << 16;  // bytes
// A kept comment comes in pieces of this many bytes, and up to 3 more so
// that no UTF-8 sequence is cut.
inline constexpr std::size_t kPgnCommentPiece = 1 << 16;
inline constexpr std::size_t kMaxPgnMarkCommand = 1 << 16;  // bytes of its operand

// A [%csl ...] or [%cal ...] command of a comment: marks on the board.
struct TPgnMarkCommand {
  std::string Name;      // csl or cal, as written
  std::string Operand;   // its first kMaxPgnMarkCommand bytes
  bool Closed = false;   // by "]", not by the comment's end
  bool TooLong = false;  // longer than kMaxPgnMarkCommand bytes
};

class TPgnLexer {
 public:
  // The text is viewed, not copied: it must outlive the lexer.
  explicit TPgnLexer(std::string_view text);
  // Reads `file` in chunks of `chunk` bytes, after `prefix` (bytes the
  // caller has already taken from it, say to tell PGN from EPD). A read
  // error throws std::runtime_error.
  explicit TPgnLexer(std::FILE* file, std::string prefix = {}, std::size_t chunk = 1 << 16);
  TPgnLexer(TPgnLexer&& other) noexcept;
  TPgnLexer& operator=(TPgnLexer&&) = delete;

  TPgnToken Next();
  // Whether Comment gives the comment's text (without its "{" "}" or ";").
  // A longer comment than kPgnCommentPiece comes as Comment tokens one
  // after the other, each a piece of its text; all but the last
  // CommentGoesOn(). A piece also ends after each csl or cal command, so
  // that each comes alone: MarkCommand().
  void KeepComments(bool keep) { keepComments_ = keep; }

  // Of the last token.
  TTextPlace Place() const { return place_; }
  std::string_view Text() const { return text_; }
  std::string_view Value() const { return value_; }
  long Number() const { return number_; }
  bool DiagramMark() const { return mark_; }  // of the comment so far
  bool CommentGoesOn() const { return goesOn_; }
  // Comment: the csl or cal command that ends this piece; null when none.
  const TPgnMarkCommand* MarkCommand() const { return commandDone_ ? &command_ : nullptr; }
  // Error: whether it lies in a tag pair.
  bool TagError() const { return tagError_; }

 private:
  int Peek() { return p_ != end_ || Refill() ? static_cast<unsigned char>(*p_) : -1; }
  void Take();
  bool Refill();
  void SkipBlanks();
  void SkipLine();
  TPgnToken Fail(std::string reason);
  TPgnToken Symbol();
  TPgnToken Nag();
  TPgnToken Annotation();
  TPgnToken StartComment(bool brace);
  TPgnToken CommentRest();
  TPgnToken TagPair();
  TPgnToken ReadTagPair();
  TPgnToken TagValue();
  void NoteMark(char c);
  void NoteCommand(char c);

  const char* p_ = nullptr;
  const char* end_ = nullptr;
  std::FILE* file_ = nullptr;
  std::string buffer_;  // the prefix, then the chunks of the file
  std::size_t chunk_ = 0;
  bool started_ = false;
  long long line_ = 1, column_ = 1;
  bool afterCR_ = false;
  int markState_ = 0;  // how much of "[#]" the comment has just shown
  // Where the comment stands in a command "[%name operand]": only those
  // of marks keep their operand.
  enum class TCommand : std::uint8_t { None, Bracket, Name, Other, Marks };
  TCommand commandState_ = TCommand::None;
  bool keepComments_ = false;
  enum class TComment : std::uint8_t { None, Brace, Line };
  TComment comment_ = TComment::None;  // the comment being read

  TTextPlace place_;
  std::string text_, value_;
  long number_ = 0;
  bool mark_ = false;
  TPgnMarkCommand command_;
  bool commandDone_ = false;
  bool goesOn_ = false;
  bool tagError_ = false;
};

}  // namespace bq
