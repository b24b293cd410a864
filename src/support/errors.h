#pragma once
// Run-time errors that unwind to the application's general error report.
#include <stdexcept>
#include <string>

namespace bq {

class TRunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char kRangeCheckError[] = "Range check error";
inline constexpr const char kIntegerOverflow[] = "Integer overflow";
inline constexpr const char kFailedToLoadStream[] = "Failed to Load Stream";

// Out of line, so that the callers' usual way needs no room for the message.
[[noreturn, gnu::cold, gnu::noinline]] inline void RaiseRangeError() {
  throw TRunError(kRangeCheckError);
}

// "List index out of bounds (%d)"
[[noreturn, gnu::cold, gnu::noinline]] inline void RaiseListIndexError(long long index) {
  throw TRunError("List index out of bounds (" + std::to_string(index) + ")");
}

// "Unable to write to %s"
[[noreturn, gnu::cold, gnu::noinline]] inline void RaiseWriteError(const std::string& path) {
  throw TRunError("Unable to write to " + path);
}

}  // namespace bq
