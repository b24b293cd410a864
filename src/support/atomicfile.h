#pragma once
// Files that appear whole or not at all (documents, settings): the text is
// written to a temporary file beside its target and moved over the target
// only when it is complete and on the disk.
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bq {

// A failed file operation; what() is the system's reason.
struct TFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TFileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

// A temporary file for reading back what was written, gone when closed.
TFilePtr OpenScratchFile();

// Standard input and output carry bytes as they are (no CR LF translation
// on Windows), so a document is the same on every system.
void UseBinaryStandardStreams();

class TReplacingFile {
 public:
  // Creates the temporary file beside `target`, named `target` plus a suffix,
  // with the owner and permissions of the file it replaces, or those a new
  // file would get. Where `target` is a symbolic link (or a chain of them),
  // the file at its end is replaced, or created when the link dangles, and
  // the links stay.
  explicit TReplacingFile(std::string target);
  // Removes the temporary file unless Commit succeeded.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Open for writing and reading back.
  std::FILE* Stream() const { return file_.get(); }
  // Starts moving what was written so far to the disk without waiting for
  // it, so that Commit has little left to wait for with a large document.
  void StartWriteback();
  // Flushes the file to the disk and puts it in the target's place.
  void Commit();

  // The whole of `text` as the new content of `target`.
  static void Replace(const std::string& target, std::string_view text);

 private:
  std::string target_;
  std::string temp_;
  TFilePtr file_;
  long long writebackFrom_ = 0;  // start of what StartWriteback has not handed on yet
};

}  // namespace bq
