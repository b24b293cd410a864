#pragma once
// Byte-string helpers that the readers and writers share.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace bq {

// Blanks and control characters: every byte of code 32 or less. EPD lines
// and profile names and values are trimmed of these.
inline bool IsLowByte(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// `s` without the low bytes at either end.
inline std::string_view TrimLowBytes(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsLowByte(s[b])) ++b;
  while (e > b && IsLowByte(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Copies n <= 16 bytes from s to d with two overlapping moves instead of a
// call: words and operands are mostly a few bytes.
inline void CopyShort(char* d, const char* s, std::size_t n) {
  if (n >= 8) {
    std::uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + n - 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + n - 8, &b, 8);
  } else if (n >= 4) {
    std::uint32_t a, b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    std::memcpy(d, &a, 4);
    std::memcpy(d + n - 4, &b, 4);
  } else if (n > 0) {
    d[0] = s[0];
    d[n / 2] = s[n / 2];
    d[n - 1] = s[n - 1];
  }
}

}  // namespace bq
