#pragma once
// Helpers shared by the fuzz targets: a scratch file per process, and the
// RTF well-formedness test the conversion must pass (shared with the tests).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../tests/convert/rtf_wellformed.h"

namespace bq::fuzz {

// Stops the run with the input saved by libFuzzer; a plain abort keeps the
// message next to the crash report.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

inline void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

// A file in memory-backed storage when there is some, unique to this
// process, removed at exit of the owner.
class TScratchFile {
 public:
  explicit TScratchFile(std::string_view tag) {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path_ = std::string(dir) + "/bq-fuzz-" + std::string(tag) + "-" + std::to_string(::getpid());
  }
  ~TScratchFile() { std::remove(path_.c_str()); }
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;

  const std::string& Path() const { return path_; }
  void Write(std::string_view bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) Fail("cannot write the scratch file");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

 private:
  std::string path_;
};

}  // namespace bq::fuzz
