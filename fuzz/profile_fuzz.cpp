// Profile files (the settings file and every other .ini): any existing text
// parses, and writes on top of it read back as written while every other
// key keeps its value; a saved file loads as the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.h"
#include "support/profile.h"

using namespace bq;
using bq::fuzz::Check;

namespace {

// What a written value reads back as: line breaks become blanks, then the
// read trims blanks, drops one pair of enclosing quotes and keeps at most
// kMaxProfileValue characters.
std::string ReadBackOf(std::string_view v) {
  std::string s(v);
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  s = s.substr(b, e - b);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    s = s.substr(1, s.size() - 2);
  if (s.size() > kMaxProfileValue) s.resize(kMaxProfileValue);
  return s;
}

// Names the program writes: letters, digits and blanks inside.
std::string NameFrom(std::string_view bytes) {
  std::string n;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_')
      n += c;
  }
  return n.empty() ? std::string("k") : n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::TScratchFile file("profile");
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // The first 64 bytes choose what to write, the rest is the existing file.
  const std::string_view control = input.substr(0, std::min<std::size_t>(64, input.size()));
  const std::string_view existing = input.substr(control.size());
  TProfileFile f = TProfileFile::Parse(existing);

  // Everything readable before the write.
  struct TEntry {
    std::string section, key, value;
  };
  std::vector<TEntry> before;
  for (const std::string& s : f.Sections())
    for (const std::string& k : f.Keys(s)) before.push_back({s, k, f.ReadString(s, k, "")});

  const std::size_t cut = control.size() / 3;
  const std::string section = NameFrom(control.substr(0, cut));
  const std::string key = NameFrom(control.substr(cut, cut));
  // The value is any bytes: the tail of the control part, then up to 3000
  // bytes of the file text, so long values are tried too.
  std::string value(control.substr(2 * cut));
  value += existing.substr(0, std::min<std::size_t>(3000, existing.size()));

  f.WriteString(section, key, value);
  Check(f.ReadString(section, key, "\x01") == ReadBackOf(value), "a write reads back");

  auto same = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      auto l = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
      if (l(a[i]) != l(b[i])) return false;
    }
    return true;
  };
  for (const TEntry& e : before) {
    if (same(e.section, section) && same(e.key, key)) continue;
    Check(f.ReadString(e.section, e.key, "\x01") == e.value, "other keys keep their values");
  }

  // Through a file and back: the same text, the same value.
  const std::string text = f.Text();
  f.Save(file.Path());
  const TProfileFile loaded = TProfileFile::Load(file.Path());
  Check(loaded.Text() == text, "a saved file loads as the same text");
  Check(loaded.ReadString(section, key, "\x01") == ReadBackOf(value), "a saved write reads back");
  (void)f.ReadInt(section, key, 0);
  return 0;
}
