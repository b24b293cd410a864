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
  // At Commit, the first `size` bytes written become `head`: a document
  // whose header learnt of a table only after it went out.
  void ReplaceHead(std::size_t size, std::string head);
  // Moves the finished document to its place.
  void Commit();

 private:
  std::string Where() const;
  // Writes `head`, then what `from` holds after the old head, to `to`;
  // `failure` says what a failed write could not do.
  void CopyWithNewHead(std::FILE* from, std::FILE* to, const std::string& failure) const;

  std::string target_;
  TFilePtr scratch_;                         // standard output: read back at the end
  std::optional<TReplacingFile> replacing_;  // a named file: moved over it at the end
  std::FILE* file_ = nullptr;                // the one of the two in use
  static constexpr std::size_t kWritebackStep = std::size_t{1} << 20;
  std::size_t unsynced_ = 0;  // bytes written since the last StartWriteback
  std::size_t headSize_ = 0;
  std::string head_;
  bool replaceHead_ = false;
};

}  // namespace bq
