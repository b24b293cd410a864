#include "convert/lines.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace bq {

namespace {
// The text of a line ends at its first NUL.
std::string_view CutAtNul(std::string_view line) {
  const void* nul = std::memchr(line.data(), 0, line.size());
  return nul ? line.substr(0, static_cast<const char*>(nul) - line.data()) : line;
}
}  // namespace

void SplitEPDLines(std::string_view text, const std::function<bool(std::string_view)>& fn) {
  std::size_t start = 0;
  const std::size_t n = text.size();
  while (start < n) {
    std::size_t i = start;
    while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
    if (!fn(CutAtNul(text.substr(start, i - start)))) return;
    if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
}

namespace {

// Index of the first `c` in buf at or after `from`, or buf.size().
std::size_t FindFrom(const std::string& buf, std::size_t from, char c) {
  const void* at = std::memchr(buf.data() + from, c, buf.size() - from);
  return at ? static_cast<std::size_t>(static_cast<const char*>(at) - buf.data()) : buf.size();
}

}  // namespace

TEPDLineReader::TEPDLineReader(std::FILE* file, std::string head)
    : file_(file), buf_(std::move(head)) {
  nextLF_ = FindFrom(buf_, 0, '\n');
  nextCR_ = FindFrom(buf_, 0, '\r');
  nextNul_ = FindFrom(buf_, 0, '\0');
}

bool TEPDLineReader::Fill() {
  buf_.resize(1 << 16);
  const std::size_t got = std::fread(buf_.data(), 1, buf_.size(), file_);
  buf_.resize(got);
  pos_ = 0;
  nextLF_ = FindFrom(buf_, 0, '\n');
  nextCR_ = FindFrom(buf_, 0, '\r');
  nextNul_ = FindFrom(buf_, 0, '\0');
  if (got == 0) {
    if (std::ferror(file_)) throw std::runtime_error(std::strerror(errno));
    eof_ = true;
  }
  return got != 0;
}

bool TEPDLineReader::Next(std::string_view& line) {
  carry_.clear();
  for (;;) {
    // A "\r" that ended the previous line swallows the "\n" of a CR LF pair,
    // even when the pair was split between two chunks.
    if (pendingCR_ && pos_ < buf_.size()) {
      if (buf_[pos_] == '\n') ++pos_;
      pendingCR_ = false;
    }
    if (nextLF_ < pos_) nextLF_ = FindFrom(buf_, pos_, '\n');
    if (nextCR_ < pos_) nextCR_ = FindFrom(buf_, pos_, '\r');
    if (nextNul_ < pos_) nextNul_ = FindFrom(buf_, pos_, '\0');
    const std::size_t i = std::min(nextLF_, nextCR_);
    if (i < buf_.size()) {
      // The text of a line ends at its first NUL.
      const std::size_t end = std::min(i, nextNul_);
      if (carry_.empty()) {
        line = std::string_view(buf_.data() + pos_, end - pos_);
      } else {
        carry_.append(buf_, pos_, end - pos_);
        line = CutAtNul(carry_);
      }
      pendingCR_ = buf_[i] == '\r';
      pos_ = i + 1;
      return true;
    }
    carry_.append(buf_, pos_, buf_.size() - pos_);
    pos_ = buf_.size();
    if (eof_ || !Fill()) {
      line = CutAtNul(carry_);
      // An empty last line (text ending in a line break) is not a line.
      return !line.empty();
    }
  }
}

bool TEPDLineReader::Next(std::string& line) {
  std::string_view view;
  const bool more = Next(view);
  line.assign(view);
  return more;
}

}  // namespace bq
