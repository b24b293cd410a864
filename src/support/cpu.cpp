#include "support/cpu.h"

namespace bq {

bool HasSsse3() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
#else
  return false;
#endif
}

}  // namespace bq
