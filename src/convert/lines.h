#pragma once
// How EPD text is cut into lines: at "\r\n", "\n" and a lone "\r"; an empty
// last line is not counted; a NUL ends a line's text; each line is trimmed of
// every leading and trailing character of code 32 or less. A trimmed line
// that is empty or begins with "#" holds no record but still counts.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "support/bytes.h"

namespace bq {

// Trims characters of code <= 32 from both ends.
inline std::string_view TrimEPDLine(std::string_view line) {
  return TrimLowBytes(line);
}
// True when a trimmed line holds no record (empty or a "#" comment).
inline bool IsSkippedEPDLine(std::string_view trimmed) {
  return trimmed.empty() || trimmed[0] == '#';
}

// Calls `fn` with every line (untrimmed, NUL-cut) in order; stops early
// when fn returns false.
void SplitEPDLines(std::string_view text, const std::function<bool(std::string_view)>& fn);

// Reads lines from a stream in chunks, so huge inputs need little memory.
class TEPDLineReader {
 public:
  explicit TEPDLineReader(std::FILE* file) : file_(file) {}
  // Reads `head`, the bytes already taken from the stream, first.
  TEPDLineReader(std::FILE* file, std::string head);
  // False at the end of input. Throws std::runtime_error on a read error.
  // The view lies in the reader's buffer and holds until the next call:
  // lines are not copied unless they straddle two chunks.
  bool Next(std::string_view& line);
  bool Next(std::string& line);

 private:
  bool Fill();

  std::FILE* file_;
  std::string buf_;
  std::size_t pos_ = 0;
  // Where the next LF, CR and NUL at or after pos_ stand (buf_.size() when
  // there is none): each byte is searched once, whatever the line endings.
  std::size_t nextLF_ = 0, nextCR_ = 0, nextNul_ = 0;
  std::string carry_;  // the start of a line that goes on in the next chunk
  bool eof_ = false;
  bool pendingCR_ = false;
};

}  // namespace bq
