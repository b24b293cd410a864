#include "render/documenttext.h"

#include <array>
#include <cstdint>

namespace bq {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<std::uint16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The length of the well-formed UTF-8 sequence at s, 0 if there is none
// (overlong forms, surrogates, code points above U+10FFFF, truncation).
std::size_t Utf8Length(std::string_view s) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto cont = [&](std::size_t i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
    return i < s.size() && at(i) >= lo && at(i) <= hi;
  };
  const unsigned char b0 = at(0);
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 >= 0xE0 && b0 <= 0xEF)
    return cont(1, b0 == 0xE0 ? 0xA0 : 0x80, b0 == 0xED ? 0x9F : 0xBF) && cont(2) ? 3 : 0;
  if (b0 >= 0xF0 && b0 <= 0xF4)
    return cont(1, b0 == 0xF0 ? 0x90 : 0x80, b0 == 0xF4 ? 0x8F : 0xBF) && cont(2) && cont(3) ? 4
                                                                                             : 0;
  return 0;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | cp >> 6));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | cp >> 12));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::uint32_t Windows1252Char(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b;
}

std::string DocumentTextToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x20) {
      out.push_back(' ');
      ++i;
    } else if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
    } else if (const std::size_t n = Utf8Length(bytes.substr(i)); n != 0) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      const std::uint32_t cp = Windows1252Char(b);
      AppendUtf8(out, cp != 0 ? cp : 0xFFFD);
      ++i;
    }
  }
  return out;
}

}  // namespace bq
