#include "render/bytesink.h"

#include "render/rendererror.h"

namespace bq {

cairo_status_t TSinkBridge::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* self = static_cast<TSinkBridge*>(closure);
  if (self->failure_ || self->closed_) return CAIRO_STATUS_WRITE_ERROR;
  try {
    self->sink_(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    // Exceptions must not cross Cairo's C frames.
    self->failure_ = std::current_exception();
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

void TSinkBridge::Check(cairo_status_t status, const char* what) const {
  if (failure_) std::rethrow_exception(failure_);
  if (status != CAIRO_STATUS_SUCCESS)
    throw TRenderError(std::string(what) + ": " + cairo_status_to_string(status));
}

}  // namespace bq
