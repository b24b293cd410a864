#pragma once
#include <stdexcept>

namespace bq {

// A picture or document that cannot be made: a font that is not installed,
// a failed write, or Cairo's own failure; what() says which.
struct TRenderError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace bq
