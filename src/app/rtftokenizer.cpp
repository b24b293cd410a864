#include "app/rtftokenizer.h"

#include <algorithm>
#include <limits>

namespace bq {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::size_t kMaxWordLength = 32;

TRTFToken Token(TRTFTokenKind kind, std::string_view text = {}, unsigned char byte = 0) {
  TRTFToken t;
  t.Kind = kind;
  t.Text = text;
  t.Byte = byte;
  return t;
}

}  // namespace

TRTFToken TRTFTokenizer::Next() {
  const std::size_t n = s_.size();
  if (pos_ >= n) return {};
  const char c = s_[pos_];
  if (c == '{' || c == '}') {
    ++pos_;
    return Token(c == '{' ? TRTFTokenKind::GroupStart : TRTFTokenKind::GroupEnd);
  }
  if (c == '\\') return Escape();
  const std::size_t start = pos_;
  while (pos_ < n && s_[pos_] != '\\' && s_[pos_] != '{' && s_[pos_] != '}') ++pos_;
  return Token(TRTFTokenKind::Text, s_.substr(start, pos_ - start));
}

TRTFToken TRTFTokenizer::Escape() {
  ++pos_;
  if (pos_ >= s_.size()) return {};  // a lone backslash at the end
  const char d = s_[pos_];
  if (d == '\'') return HexEscape();
  if (IsAsciiLetter(d)) return ControlWord();
  ++pos_;
  return Token(TRTFTokenKind::Symbol, {}, static_cast<unsigned char>(d));
}

TRTFToken TRTFTokenizer::HexEscape() {
  ++pos_;
  const std::size_t n = s_.size();
  const int hi = pos_ < n ? HexValue(s_[pos_]) : -1;
  const int lo = pos_ + 1 < n ? HexValue(s_[pos_ + 1]) : -1;
  if (hi < 0 || lo < 0) {
    if (hi >= 0) ++pos_;
    return Token(TRTFTokenKind::BrokenHex);
  }
  pos_ += 2;
  return Token(TRTFTokenKind::Hex, {}, static_cast<unsigned char>(hi * 16 + lo));
}

TRTFToken TRTFTokenizer::ControlWord() {
  const std::size_t n = s_.size();
  const std::size_t start = pos_;
  while (pos_ < n && IsAsciiLetter(s_[pos_])) ++pos_;
  TRTFToken t =
      Token(TRTFTokenKind::Word, s_.substr(start, std::min(pos_ - start, kMaxWordLength)));
  const bool negative = pos_ + 1 < n && s_[pos_] == '-' && IsDigit(s_[pos_ + 1]);
  if (negative) ++pos_;
  long long value = 0;
  while (pos_ < n && IsDigit(s_[pos_])) {
    t.HasParam = true;
    // Saturate: a hostile parameter must not overflow.
    if (value < (1LL << 40)) value = value * 10 + (s_[pos_] - '0');
    ++pos_;
  }
  if (negative) value = -value;
  t.Param = static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
  if (pos_ < n && s_[pos_] == ' ') ++pos_;
  if (t.Text != "bin") return t;
  // Binary data may hold braces and backslashes: it is passed over whole.
  const long long len = t.HasParam ? std::max(t.Param, 0) : 0;
  if (static_cast<unsigned long long>(len) > n - pos_) return Token(TRTFTokenKind::BadBinary);
  t.Kind = TRTFTokenKind::Binary;
  t.Text = s_.substr(pos_, static_cast<std::size_t>(len));
  pos_ += static_cast<std::size_t>(len);
  return t;
}

}  // namespace bq
