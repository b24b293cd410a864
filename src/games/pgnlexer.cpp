#include "games/pgnlexer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "support/ascii.h"

namespace bq {

namespace {

bool IsSymbolChar(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '+' || c == '#' || c == '=' || c == ':' || c == '/' || c == '-';
}

bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsDigit(int c) {
  return c >= '0' && c <= '9';
}

// A byte as a reason shows it.
std::string Shown(int c) {
  if (c == 0) return "NUL byte";
  if (c > ' ' && c < 127) return std::string("\"") + static_cast<char>(c) + "\"";
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("byte 0x") + kHex[(c >> 4) & 15] + kHex[c & 15];
}

std::string Unexpected(int c) {
  std::string text = "unexpected ";
  text += Shown(c);
  return text;
}

}  // namespace

std::string PlaceText(TTextPlace place) {
  return "line " + std::to_string(place.Line) + ", column " + std::to_string(place.Column);
}

TPgnLexer::TPgnLexer(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

TPgnLexer::TPgnLexer(TPgnLexer&& other) noexcept
    : file_(other.file_),
      chunk_(other.chunk_),
      started_(other.started_),
      line_(other.line_),
      column_(other.column_),
      afterCR_(other.afterCR_),
      markState_(other.markState_),
      commandState_(other.commandState_),
      keepComments_(other.keepComments_),
      comment_(other.comment_),
      place_(other.place_),
      text_(std::move(other.text_)),
      value_(std::move(other.value_)),
      number_(other.number_),
      mark_(other.mark_),
      command_(std::move(other.command_)),
      commandDone_(other.commandDone_),
      goesOn_(other.goesOn_),
      tagError_(other.tagError_) {
  // Reading a file, the window lies in the other's buffer, whose bytes
  // move (a short buffer's even to another address).
  const std::size_t at = file_ ? static_cast<std::size_t>(other.p_ - other.buffer_.data()) : 0;
  const std::size_t size = static_cast<std::size_t>(other.end_ - other.p_);
  buffer_ = std::move(other.buffer_);
  p_ = file_ ? buffer_.data() + at : other.p_;
  end_ = p_ + size;
}

TPgnLexer::TPgnLexer(std::FILE* file, std::string prefix, std::size_t chunk)
    : file_(file), buffer_(std::move(prefix)), chunk_(chunk == 0 ? 1 : chunk) {
  p_ = buffer_.data();
  end_ = p_ + buffer_.size();
}

bool TPgnLexer::Refill() {
  if (file_ == nullptr) return false;
  buffer_.resize(chunk_);
  const std::size_t got = std::fread(buffer_.data(), 1, chunk_, file_);
  if (got == 0 && std::ferror(file_)) throw std::runtime_error(std::strerror(errno));
  buffer_.resize(got);
  p_ = buffer_.data();
  end_ = p_ + got;
  return got > 0;
}

void TPgnLexer::Take() {
  const char c = *p_++;
  if (c == '\n' || c == '\r') {
    if (c == '\r' || !afterCR_) ++line_;
    column_ = 1;
    afterCR_ = c == '\r';
    return;
  }
  afterCR_ = false;
  if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++column_;
}

void TPgnLexer::SkipBlanks() {
  for (int c = Peek(); IsBlank(c); c = Peek()) Take();
}

void TPgnLexer::SkipLine() {
  for (int c = Peek(); c >= 0 && c != '\n' && c != '\r'; c = Peek()) Take();
}

TPgnToken TPgnLexer::Fail(std::string reason) {
  text_ = std::move(reason);
  tagError_ = false;
  return TPgnToken::Error;
}

TPgnToken TPgnLexer::Next() {
  commandDone_ = false;
  if (comment_ != TComment::None) return CommentRest();  // the next piece of a long one
  if (!started_) {
    started_ = true;
    // A byte order mark is no character of the text.
    if (Peek() == 0xEF) {
      Take();
      if (Peek() == 0xBB) Take();
      if (Peek() != 0xBF) return Fail("a broken byte order mark");
      Take();
      column_ = 1;
    }
  }
  for (;;) {
    SkipBlanks();
    const int c = Peek();
    place_ = TTextPlace{line_, column_};
    if (c < 0) return TPgnToken::End;
    if (c == '%' && column_ == 1) {  // an escape line, for other programs
      SkipLine();
      continue;
    }
    switch (c) {
      case '{':
        return StartComment(true);
      case ';':
        return StartComment(false);
      case '[':
        return TagPair();
      case '(':
        Take();
        return TPgnToken::VariationStart;
      case ')':
        Take();
        return TPgnToken::VariationEnd;
      case '$':
        return Nag();
      case '!':
      case '?':
        return Annotation();
      case '*':
        Take();
        text_.assign(1, '*');
        return TPgnToken::Result;
      case '.':
        Take();
        continue;  // after a move number
      default:
        if (IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return Symbol();
        Take();
        return Fail(Unexpected(c));
    }
  }
}

TPgnToken TPgnLexer::Symbol() {
  text_.clear();
  for (int c = Peek(); IsSymbolChar(c); c = Peek()) {
    if (text_.size() == kMaxPgnSymbol) return Fail("a word longer than 255 characters");
    text_ += static_cast<char>(c);
    Take();
  }
  if (text_ == "1-0" || text_ == "0-1" || text_ == "1/2-1/2") return TPgnToken::Result;
  if (text_.find_first_not_of("0123456789") != std::string::npos) return TPgnToken::Move;
  number_ = text_.size() > 9 ? 999999999 : std::stol(text_);
  return TPgnToken::MoveNumber;
}

TPgnToken TPgnLexer::Nag() {
  Take();
  number_ = 0;
  int digits = 0;
  for (int c = Peek(); IsDigit(c); c = Peek(), ++digits) {
    if (digits < 9) number_ = number_ * 10 + (c - '0');
    Take();
  }
  return digits > 0 ? TPgnToken::Nag : Fail("\"$\" without a number");
}

TPgnToken TPgnLexer::Annotation() {
  text_.clear();
  for (int c = Peek(); (c == '!' || c == '?') && text_.size() < 3; c = Peek()) {
    text_ += static_cast<char>(c);
    Take();
  }
  static constexpr std::string_view kSuffixes[] = {"!", "?", "!!", "??", "!?", "?!"};
  number_ = 0;
  for (std::size_t i = 0; i < std::size(kSuffixes); ++i)
    if (text_ == kSuffixes[i]) number_ = static_cast<long>(i + 1);
  return TPgnToken::Nag;
}

void TPgnLexer::NoteMark(char c) {
  if (c == '[')
    markState_ = 1;
  else if (markState_ == 1 && c == '#')
    markState_ = 2;
  else if (markState_ == 2 && c == ']')
    mark_ = true, markState_ = 0;
  else
    markState_ = 0;
}

// Follows "[%name operand]" as game text leaves it out: a command is all
// up to "]". The operand of csl and cal is kept; it starts after a blank.
void TPgnLexer::NoteCommand(char c) {
  std::string& name = command_.Name;
  switch (commandState_) {
    case TCommand::Marks:
      if (c == ']') {
        command_.Closed = commandDone_ = true;
        commandState_ = TCommand::None;
      } else if (command_.Operand.size() < kMaxPgnMarkCommand) {
        command_.Operand += c;
      } else {
        command_.TooLong = true;
      }
      return;
    case TCommand::Other:
      if (c == ']') commandState_ = TCommand::None;
      return;
    case TCommand::Name:
      if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && name.size() < 4) {
        name += c;
      } else if (c == ']') {
        commandState_ = TCommand::None;
      } else {
        const bool marks = SameAsciiText(name, "csl") || SameAsciiText(name, "cal");
        commandState_ = marks && IsBlank(c) ? TCommand::Marks : TCommand::Other;
      }
      return;
    case TCommand::Bracket:
      if (c == '%') {
        commandState_ = TCommand::Name;
        command_ = TPgnMarkCommand{};
        return;
      }
      break;
    case TCommand::None:
      break;
  }
  commandState_ = c == '[' ? TCommand::Bracket : TCommand::None;
}

TPgnToken TPgnLexer::StartComment(bool brace) {
  Take();
  mark_ = false;
  markState_ = 0;
  commandState_ = TCommand::None;
  comment_ = brace ? TComment::Brace : TComment::Line;
  return CommentRest();
}

// To the end of the comment, or of a piece of its text.
TPgnToken TPgnLexer::CommentRest() {
  const bool brace = comment_ == TComment::Brace;
  if (keepComments_) text_.clear();
  goesOn_ = false;
  for (;;) {
    const int c = Peek();
    if (c < 0 && brace) {
      comment_ = TComment::None;
      return Fail("comment not closed");
    }
    if (c < 0 || (!brace && (c == '\n' || c == '\r'))) break;
    if (brace && c == '}') {
      Take();
      break;
    }
    if (commandDone_ || (keepComments_ && text_.size() >= kPgnCommentPiece &&
                         ((c & 0xC0) != 0x80 || text_.size() >= kPgnCommentPiece + 3))) {
      goesOn_ = true;
      return TPgnToken::Comment;
    }
    Take();
    NoteMark(static_cast<char>(c));
    NoteCommand(static_cast<char>(c));
    if (keepComments_) text_ += static_cast<char>(c);
  }
  // A command the comment's end cuts off is one all the same, if a bad one.
  if (commandState_ == TCommand::Marks) commandDone_ = true;
  commandState_ = TCommand::None;
  comment_ = TComment::None;
  return TPgnToken::Comment;
}

TPgnToken TPgnLexer::TagPair() {
  const TPgnToken token = ReadTagPair();
  tagError_ = token == TPgnToken::Error;
  return token;
}

TPgnToken TPgnLexer::ReadTagPair() {
  Take();
  text_.clear();
  value_.clear();
  for (int c = Peek(); c == ' ' || c == '\t'; c = Peek()) Take();
  for (int c = Peek(); IsSymbolChar(c); c = Peek()) {
    if (text_.size() == kMaxPgnSymbol) return Fail("a tag name longer than 255 characters");
    text_ += static_cast<char>(c);
    Take();
  }
  if (text_.empty()) return Fail("a tag without a name");
  for (int c = Peek(); c == ' ' || c == '\t'; c = Peek()) Take();
  const int c = Peek();
  if (c == ']') {  // no value: taken as empty
    Take();
    return TPgnToken::Tag;
  }
  if (c != '"') return Fail("tag " + text_ + ": the value must stand in double quotes");
  Take();
  return TagValue();
}

// The value up to the quote that "]" follows: a quote inside the value
// needs no backslash as long as no "]" comes right after it.
TPgnToken TPgnLexer::TagValue() {
  std::size_t closed = std::string::npos;  // value's size at a quote that may end it
  bool quoted = false;                     // some quote may have ended it
  for (;;) {
    const int c = Peek();
    if (c < 0 || c == '\n' || c == '\r')
      return Fail(
          "tag " + text_ +
          (quoted ? ": no \"]\" after the value" : ": the value is not closed on its line"));
    if (value_.size() >= kMaxPgnTagValue)
      return Fail("tag " + text_ + ": a value longer than 65536 bytes");
    Take();
    if (c == ']' && closed != std::string::npos) {
      value_.resize(closed);
      return TPgnToken::Tag;
    }
    if (c == '"') {
      closed = value_.size();
      quoted = true;
    } else if (c != ' ' && c != '\t') {
      closed = std::string::npos;
    }
    if (c == '\\' && (Peek() == '"' || Peek() == '\\')) {
      value_ += static_cast<char>(Peek());
      Take();
      continue;
    }
    value_ += static_cast<char>(c);
  }
}

}  // namespace bq
