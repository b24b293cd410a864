#pragma once
// Profile files: "[section]" lines and "key=value" lines. Used for the
// settings file, ChsFonts.ini, shared.ini, lngnames.ini and language files.
//
// Reading rules: section and key names compare without regard to ASCII case;
// a value is trimmed of surrounding blanks (codes <= 32); a value wholly
// enclosed in a matching pair of double or single quotes loses them; at most
// 2047 characters are returned. A missing file, section or key reads as the
// default. Lines that are neither a section header nor contain "=", and lines
// starting with ";", are kept verbatim on write but otherwise ignored. Keys
// above the first section header belong to no section. A repeated key reads
// as its first occurrence, and a write replaces that one. Lines may end in
// CR LF or LF; added lines follow the file's first line break.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bq {

inline constexpr std::size_t kMaxProfileValue = 2047;
inline constexpr std::size_t kMaxProfileNameList = 16384;

class TProfileFile {
 public:
  TProfileFile() = default;
  // A missing or unreadable file gives an empty profile; never throws.
  static TProfileFile Load(const std::string& path);
  static TProfileFile Parse(std::string_view text);
  // For a read-modify-write: a missing file gives an empty profile, but an
  // existing file that cannot be read, or is write-protected, raises
  // TRunError("Unable to write to " + path) so that it is never replaced by a
  // file holding only the new value.
  static TProfileFile LoadForUpdate(const std::string& path);

  // True and the decoded value when the key exists.
  bool Find(std::string_view section, std::string_view key, std::string& value) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // Integer syntax of ParseProfileInt; anything else gives the default.
  std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t def) const;

  // Names in file order, each once, limited as the platform's listing is
  // (16,384 bytes, each name counted with one terminating byte).
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

  // Creates the section and key as needed, else replaces the stored value;
  // every other line stays as it was. Line breaks in the arguments are
  // stored as blanks, so a value can never add keys or sections.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  std::string Text() const;
  // Atomic replace (TReplacingFile: through symbolic links). Throws
  // TRunError("Unable to write to " + path) when refused.
  void Save(const std::string& path) const;

 private:
  struct Line {
    std::string raw;    // the line as read, without its line break
    int kind = 0;       // 0 other, 1 section header, 2 key=value
    std::string name;   // section name or key (trimmed)
    std::string value;  // raw value text after '=' (kind 2)
    bool cr = false;    // the line ended in CR LF
  };
  static Line ParseLine(std::string_view raw, bool first);
  // Index of the first line holding the key in a section of that name
  // (repeated sections count as one), or -1.
  long FindKeyLine(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
  std::string eol_ = "\n";  // line break for lines added by WriteString
  bool finalBreak_ = true;  // the last line ends in a line break
};

// Integer syntax shared by settings, ChsFonts.ini and the settings dialog:
// a text longer than 2 characters beginning with "0x"/"0X" has those two
// replaced by "$"; then leading blanks, an optional sign, and decimal digits
// or hexadecimal digits after "$", "x", "X", "0x", "0X". Anything else, and a
// number outside the 32-bit signed range, fails.
bool ParseProfileInt(std::string_view text, std::int32_t& value);

// The value of one "key=value" line as a lookup of its key gives it (blanks
// trimmed, one pair of quotes removed, cut to the length limit); false for a
// line without "=".
bool ProfileLineValue(std::string_view line, std::string& value);

// One-call conveniences: open, read or write once, close.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view def);
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace bq
