#pragma once
// The test every written document must pass, shared by the conversion
// tests and the conversion fuzz target: braces balance (never below zero,
// nothing after the last), every backslash starts a control word (letters
// and an optional signed number), a control symbol, or \'hh with two hex
// digits, and there is no NUL. Returns "" when well formed, else the fault.
#include <string>
#include <string_view>

namespace bq::testing {

inline std::string RTFFault(std::string_view s) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  auto hex = [&](char c) { return digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
  long depth = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const std::string at = " at " + std::to_string(i);
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (--depth < 0) return "closing brace without an opening one" + at;
      if (depth == 0 && i + 1 != s.size()) return "text after the document's last brace" + at;
    } else if (c == '\\') {
      if (i + 1 >= s.size()) return "backslash at the end";
      const char d = s[i + 1];
      if (letter(d)) {
        std::size_t j = i + 1;
        while (j < s.size() && letter(s[j])) ++j;
        if (j - (i + 1) > 32) return "control word longer than 32 letters" + at;
        if (j < s.size() && s[j] == '-') {
          if (j + 1 >= s.size() || !digit(s[j + 1])) return "bad control word parameter" + at;
          ++j;
        }
        while (j < s.size() && digit(s[j])) ++j;
        i = j - 1;
      } else if (d == '\'') {
        if (i + 3 >= s.size() || !hex(s[i + 2]) || !hex(s[i + 3]))
          return "\\' without two hex digits" + at;
        i += 3;
      } else if (std::string_view("\\{}~-_*:|").find(d) != std::string_view::npos) {
        i += 1;
      } else {
        return "invalid control symbol" + at;
      }
    } else if (c == '\0') {
      return "NUL byte" + at;
    }
  }
  if (depth != 0) return "unbalanced braces";
  return {};
}

}  // namespace bq::testing
