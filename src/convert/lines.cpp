#include "convert/lines.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace bq {

std::string_view TrimEPDLine(std::string_view line) {
  std::size_t b = 0, e = line.size();
  while (b < e && static_cast<unsigned char>(line[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(line[e - 1]) <= 32) --e;
  return line.substr(b, e - b);
}

bool IsSkippedEPDLine(std::string_view trimmed) { return trimmed.empty() || trimmed[0] == '#'; }

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

bool TEPDLineReader::Next(std::string& line) {
  line.clear();
  for (;;) {
    // A "\r" that ended the previous line swallows the "\n" of a CR LF pair,
    // even when the pair was split between two chunks.
    if (pendingCR_ && pos_ < buf_.size()) {
      if (buf_[pos_] == '\n') ++pos_;
      pendingCR_ = false;
    }
    std::size_t i = pos_;
    while (i < buf_.size() && buf_[i] != '\n' && buf_[i] != '\r') ++i;
    if (i < buf_.size()) {
      line.append(buf_, pos_, i - pos_);
      pendingCR_ = buf_[i] == '\r';
      pos_ = i + 1;
      line.resize(CutAtNul(line).size());
      return true;
    }
    line.append(buf_, pos_, buf_.size() - pos_);
    buf_.clear();
    pos_ = 0;
    if (eof_) {
      line.resize(CutAtNul(line).size());
      // An empty last line (text ending in a line break) is not a line.
      return !line.empty();
    }
    buf_.resize(1 << 16);
    const std::size_t got = std::fread(buf_.data(), 1, buf_.size(), file_);
    buf_.resize(got);
    if (got == 0) {
      if (std::ferror(file_)) throw std::runtime_error(std::strerror(errno));
      eof_ = true;
    }
  }
}

}  // namespace bq
