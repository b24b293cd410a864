#pragma once
// Where a writer's bytes go, piece by piece as Cairo makes them. A sink
// may throw; the writer passes the exception on.
#include <cairo.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <string>

namespace bq {

using TByteSink = std::function<void(const char* data, std::size_t size)>;

// Carries the bytes of a Cairo stream surface to a sink, keeping the first
// failure for the writer to raise after Cairo returns.
class TSinkBridge {
 public:
  explicit TSinkBridge(TByteSink sink) : sink_(std::move(sink)) {}
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);
  // Raises the sink's failure, or `what` plus Cairo's reason when Cairo
  // failed on its own.
  void Check(cairo_status_t status, const char* what) const;
  // From now on bytes are dropped: the output is abandoned.
  void Close() { closed_ = true; }

 private:
  TByteSink sink_;
  std::exception_ptr failure_;
  bool closed_ = false;
};

// A sink that appends to a string.
inline TByteSink AppendTo(std::string& out) {
  return [&out](const char* data, std::size_t size) { out.append(data, size); };
}

}  // namespace bq
