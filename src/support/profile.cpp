#include "support/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/ascii.h"
#include "support/atomicfile.h"
#include "support/bytes.h"
#include "support/errors.h"

#ifdef _WIN32
#include <windows.h>
// windows.h maps this name to the system's own profile writer.
#undef WriteProfileString
#else
#include <unistd.h>
#endif

namespace bq {

namespace {

std::string DecodeValue(std::string_view raw) {
  std::string_view v = TrimLowBytes(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  if (v.size() > kMaxProfileValue) v = v.substr(0, kMaxProfileValue);
  return std::string(v);
}

// A line break inside a name or value would let a caller's text create
// further keys or sections; it is stored as a blank instead.
std::string OneLine(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

// Adds `name` to a listing unless the byte limit is reached or it is already
// there; returns false once the listing is full.
bool AddListed(std::vector<std::string>& list, std::size_t& used, std::string_view name) {
  for (const auto& n : list)
    if (SameAsciiText(n, name)) return true;
  if (used + name.size() + 1 > kMaxProfileNameList) return false;
  used += name.size() + 1;
  list.emplace_back(name);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  text = std::move(buffer).str();
  return true;
}

}  // namespace

bool ProfileLineValue(std::string_view line, std::string& value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  value = DecodeValue(line.substr(eq + 1));
  return true;
}

TProfileFile::Line TProfileFile::ParseLine(std::string_view raw, bool first) {
  Line line;
  line.raw = std::string(raw);
  std::string_view s = raw;
  if (first && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);  // UTF-8 mark
  while (!s.empty() && IsLowByte(s.front())) s.remove_prefix(1);
  if (s.empty() || s.front() == ';') return line;
  if (s.front() == '[') {
    s.remove_prefix(1);
    line.kind = 1;
    line.name = std::string(TrimLowBytes(s.substr(0, s.find(']'))));
    return line;
  }
  auto eq = s.find('=');
  if (eq == std::string_view::npos) return line;
  std::string_view key = TrimLowBytes(s.substr(0, eq));
  if (key.empty()) return line;
  line.kind = 2;
  line.name = std::string(key);
  line.value = std::string(s.substr(eq + 1));
  return line;
}

TProfileFile TProfileFile::Parse(std::string_view text) {
  TProfileFile f;
#ifdef _WIN32
  f.eol_ = "\r\n";
#endif
  if (auto nl = text.find('\n'); nl != std::string_view::npos)
    f.eol_ = (nl > 0 && text[nl - 1] == '\r') ? "\r\n" : "\n";
  std::size_t pos = 0;
  f.finalBreak_ = text.empty() || text.back() == '\n';
  while (pos < text.size()) {
    auto nl = text.find('\n', pos);
    std::string_view raw =
        text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    bool cr = false;
    if (nl != std::string_view::npos && !raw.empty() && raw.back() == '\r') {
      raw.remove_suffix(1);
      cr = true;
    }
    Line line = ParseLine(raw, f.lines_.empty());
    line.cr = cr;
    f.lines_.push_back(std::move(line));
    if (nl == std::string_view::npos) break;
    pos = nl + 1;
  }
  return f;
}

TProfileFile TProfileFile::Load(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return TProfileFile::Parse({});
  return Parse(text);
}

TProfileFile TProfileFile::LoadForUpdate(const std::string& path) {
  std::error_code ec;
  auto st = std::filesystem::status(path, ec);
  if (st.type() == std::filesystem::file_type::not_found) return Parse({});
  if (ec || st.type() != std::filesystem::file_type::regular) RaiseWriteError(path);
#ifdef _WIN32
  // Moving a file over a read-only one is not refused everywhere (Wine).
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
    RaiseWriteError(path);
#else
  if (::access(path.c_str(), W_OK) != 0) RaiseWriteError(path);
#endif
  std::string text;
  if (!ReadWholeFile(path, text)) RaiseWriteError(path);
  return Parse(text);
}

long TProfileFile::FindKeyLine(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (l.kind == 1)
      inSection = SameAsciiText(l.name, section);
    else if (l.kind == 2 && inSection && SameAsciiText(l.name, key))
      return static_cast<long>(i);
  }
  return -1;
}

bool TProfileFile::Find(std::string_view section, std::string_view key, std::string& value) const {
  long i = FindKeyLine(section, key);
  if (i < 0) return false;
  value = DecodeValue(lines_[static_cast<std::size_t>(i)].value);
  return true;
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
  std::string v;
  if (Find(section, key, v)) return v;
  // The default obeys the same length limit as a stored value.
  return std::string(def.substr(0, kMaxProfileValue));
}

std::int32_t TProfileFile::ReadInt(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
  std::string v;
  std::int32_t n = 0;
  if (Find(section, key, v) && ParseProfileInt(v, n)) return n;
  return def;
}

std::vector<std::string> TProfileFile::Sections() const {
  std::vector<std::string> out;
  std::size_t used = 0;
  for (const Line& l : lines_)
    if (l.kind == 1 && !AddListed(out, used, l.name)) break;
  return out;
}

std::vector<std::string> TProfileFile::Keys(std::string_view section) const {
  std::vector<std::string> out;
  std::size_t used = 0;
  bool inSection = false;
  for (const Line& l : lines_) {
    if (l.kind == 1)
      inSection = SameAsciiText(l.name, section);
    else if (l.kind == 2 && inSection && !AddListed(out, used, l.name))
      break;
  }
  return out;
}

void TProfileFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  const std::string sec = OneLine(section), k = OneLine(key), v = OneLine(value);
  if (long i = FindKeyLine(sec, k); i >= 0) {
    Line& l = lines_[static_cast<std::size_t>(i)];
    l.value = v;
    l.raw = l.name + "=" + v;
    return;
  }
  const bool crlf = eol_ == "\r\n";
  auto make = [&](std::string raw) {
    Line l = ParseLine(raw, false);
    l.cr = crlf;
    return l;
  };
  // Insert after the last key of the first section of that name, so that
  // blank or comment lines before the next section stay where they are.
  std::size_t at = lines_.size();
  std::vector<Line> added;
  bool found = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != 1) continue;
    if (found) break;
    if (SameAsciiText(lines_[i].name, sec)) {
      found = true;
      at = i + 1;
      for (std::size_t j = i + 1; j < lines_.size() && lines_[j].kind != 1; ++j)
        if (lines_[j].kind == 2) at = j + 1;
    }
  }
  if (!found) added.push_back(make("[" + sec + "]"));
  added.push_back(make(k + "=" + v));
  if (at == lines_.size()) {
    if (!lines_.empty() && !finalBreak_) lines_.back().cr = crlf;
    finalBreak_ = true;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
}

std::string TProfileFile::Text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].raw;
    if (i + 1 < lines_.size() || finalBreak_) out += lines_[i].cr ? "\r\n" : "\n";
  }
  return out;
}

void TProfileFile::Save(const std::string& path) const {
  try {
    TReplacingFile::Replace(path, Text());
  } catch (const TFileError&) {
    RaiseWriteError(path);
  }
}

bool ParseProfileInt(std::string_view text, std::int32_t& value) {
  std::string s(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.replace(0, 2, "$");
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  constexpr std::uint64_t kLimit = 2147483648ULL;  // magnitude of INT32_MIN
  std::uint64_t n = 0;
  for (; i < s.size(); ++i) {
    int d = base == 16 ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (d < 0) return false;
    n = n * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (n > kLimit) return false;
  }
  if (!negative && n == kLimit) return false;
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(n))
                   : static_cast<std::int32_t>(n);
  return true;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view def) {
  return TProfileFile::Load(path).ReadString(section, key, def);
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  TProfileFile f = TProfileFile::LoadForUpdate(path);
  f.WriteString(section, key, value);
  f.Save(path);
}

}  // namespace bq
