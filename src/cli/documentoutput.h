#pragma once
// The document of `convert` (RTF or PDF), written to a temporary file
// first, so that a bad line leaves the output (an existing file or the
// terminal) untouched.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "support/atomicfile.h"

namespace bq {

class TDocumentOutput {
 public:
  // `target` empty: standard output. Throws TFileError.
  explicit TDocumentOutput(const std::string& target);

  void Write(std::string_view text);
  // Moves the finished document to its place.
  void Commit();

 private:
  std::string Where() const;

  std::string target_;
  TFilePtr scratch_;                         // standard output: read back at the end
  std::optional<TReplacingFile> replacing_;  // a named file: moved over it at the end
  std::FILE* file_ = nullptr;                // the one of the two in use
  static constexpr std::size_t kWritebackStep = std::size_t{1} << 20;
  std::size_t unsynced_ = 0;  // bytes written since the last StartWriteback
};

}  // namespace bq
