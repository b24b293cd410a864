#include "render/picturenames.h"

#include <cstdio>

#include "convert/layout.h"
#include "support/ascii.h"

namespace bq {

namespace {

// Room for the repeat suffix and the extension within 255 bytes.
constexpr std::size_t kMaxStem = 200;

// The template with each {n} field written out as the number of at least
// four digits; the other fields are left for ExpandTemplate.
std::string WithNumber(std::string_view tmpl, long long number) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04lld", number);
  std::string out;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    const char c = tmpl[i];
    if ((c == '{' || c == '}') && i + 1 < tmpl.size() && tmpl[i + 1] == c) {
      out.append(tmpl.substr(i, 2));
      ++i;
    } else if (c == '{' && tmpl.find('}', i) != std::string_view::npos &&
               SameAsciiText(tmpl.substr(i + 1, tmpl.find('}', i) - i - 1), "n")) {
      out += digits;
      i = tmpl.find('}', i);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string SafeFileName(std::string_view name) {
  std::string out(name.substr(0, kMaxStem));
  for (char& c : out) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    if (!safe) c = '_';
  }
  // "", "." and ".." name no file of their own.
  if (out.find_first_not_of('.') == std::string::npos) out.append("_");
  return out;
}

std::string TPictureNames::Next(const TPosition& rec, long long number, long long line,
                                std::string_view extension) {
  const std::string stem =
      SafeFileName(ExpandTemplate(WithNumber(template_, number), rec, {number, line}));
  std::string name = stem + std::string(extension);
  for (long long repeat = 2; !used_.insert(AsciiLower(name)).second; ++repeat)
    name = stem + "-" + std::to_string(repeat) + std::string(extension);
  return name;
}

}  // namespace bq
