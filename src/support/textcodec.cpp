#include "support/textcodec.h"

#include <array>

namespace bq {

namespace {

// Windows-1252 bytes 0x80..0x9F.
constexpr std::array<std::uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::uint32_t Windows1252Char(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b;
}

std::size_t Utf8Sequence(std::string_view bytes, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  std::size_t len = 0;
  // The allowed range of the second byte; it shuts out overlong forms,
  // surrogates and code points above U+10FFFF.
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0Fu;
    lo = b0 == 0xE0 ? 0xA0 : 0x80;
    hi = b0 == 0xED ? 0x9F : 0xBF;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07u;
    lo = b0 == 0xF0 ? 0x90 : 0x80;
    hi = b0 == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (bytes.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(bytes[i + k]);
    if (b < lo || b > hi) return 0;
    lo = 0x80;
    hi = 0xBF;
    cp = cp << 6 | (b & 0x3Fu);
  }
  return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string DocumentTextToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    char32_t cp = 0;
    if (b < 0x20) {
      out += ' ';
      ++i;
    } else if (const std::size_t n = Utf8Sequence(bytes, i, cp); n != 0) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      AppendUtf8(out, Windows1252Char(b));
      ++i;
    }
  }
  return out;
}

}  // namespace bq
