#include "fonts/catalogue.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "support/ascii.h"
#include "support/bytes.h"
#include "support/profile.h"

namespace bq {

const std::array<const char*, kSymbolCount + 1> kSymbolNames = {
    "",
    "AimedAgainst",
    "Attack",
    "BetterIs",
    "BishopPair",
    "BlackIsWinning",
    "Center",
    "ClearAdvantageBlack",
    "ClearAdvantageWhite",
    "Compensation",
    "ConnectedPawns",
    "CounterPlay",
    "DevelopmentAdvantage",
    "Diagonal",
    "DoublePawns",
    "EditorialComment",
    "Ending",
    "Equal",
    "EquivalentIs",
    "File",
    "GoodMove",
    "Initiative",
    "IsolatedPawn",
    "KingSide",
    "Novelty",
    "OnlyMove",
    "OppositeBishops",
    "PassedPawn",
    "PawnMajority",
    "PoorMove",
    "QueenSide",
    "QuestionableMove",
    "SameBishops",
    "SlightAdvantageBlack",
    "SlightAdvantageWhite",
    "SpaceAdvantage",
    "SpeculativeMove",
    "Unclear",
    "VeryGoodMove",
    "VeryPoorMove",
    "WeakPoint",
    "WhiteIsWinning",
    "With",
    "Without",
    "WithTheIdea",
    "WorseIs",
    "Zeitnot",
    "Zugzwang",
};

namespace {

constexpr std::string_view kFontsSection = "Chess Fonts";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The key of a "key=value" line as the profile reader sees it; empty for
// other lines.
std::string_view LineKey(std::string_view line) {
  const std::string_view s = TrimLowBytes(line);
  if (s.empty() || s.front() == ';' || s.front() == '[') return {};
  const std::size_t eq = s.find('=');
  return eq == std::string_view::npos ? std::string_view{} : TrimLowBytes(s.substr(0, eq));
}

// A profile lookup walks every line of the file, which is fine for a settings
// file but not for a description file that may list millions of fonts or
// keys. So the file is first cut into the sections we need, keeping for each
// key only its first line (the one a lookup finds, also when a section
// appears more than once); values are decoded as the profile reader does.
class TSectionIndex {
 public:
  using KeyFilter = bool (*)(std::string_view lowerKey);

  // `wanted` holds lower-case section names; `keep` picks the keys needed.
  TSectionIndex(std::string_view text, const std::unordered_set<std::string>& wanted,
                KeyFilter keep) {
    Lines* current = nullptr;
    std::size_t pos = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;  // UTF-8 mark before the first line
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      const std::string_view s = TrimLowBytes(line);
      if (!s.empty() && s.front() == '[') {
        std::string name = AsciiLower(TrimLowBytes(s.substr(1, s.find(']') - 1)));
        current = wanted.count(name) != 0 ? &sections_[std::move(name)] : nullptr;
      } else if (current != nullptr) {
        const std::string_view key = LineKey(line);
        if (key.empty()) continue;
        std::string lower = AsciiLower(key);
        if (keep(lower)) current->emplace(std::move(lower), line);
      }
    }
  }

  // First line of each kept key of a section, by lower-case key; null when
  // the section is absent.
  using Lines = std::unordered_map<std::string, std::string_view>;
  const Lines* Keys(std::string_view name) const {
    const auto it = sections_.find(AsciiLower(name));
    return it == sections_.end() ? nullptr : &it->second;
  }

 private:
  std::unordered_map<std::string, Lines> sections_;
};

// n of a lower-case "font<n>" key (n without leading zeros), or 0.
std::int32_t FontKeyNumber(std::string_view lowerKey) {
  if (lowerKey.size() < 5 || lowerKey.substr(0, 4) != "font") return 0;
  if (lowerKey[4] < '1' || lowerKey[4] > '9' || lowerKey.size() > 14) return 0;
  std::int64_t n = 0;
  for (char c : lowerKey.substr(4)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n > 0x7FFFFFFF ? 0 : static_cast<std::int32_t>(n);
}

bool IsFontListKey(std::string_view lowerKey) {
  return lowerKey == "fonts" || FontKeyNumber(lowerKey) != 0;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::error_code ec;
  // Not a device or a folder: those would block or never end.
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.clear();
    std::array<char, 1 << 16> chunk;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
      text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    return !in.bad();
  } catch (const std::exception&) {
    return false;
  }
}

// One font's keys, looked up as a profile lookup of its section would.
class TFontKeys {
 public:
  explicit TFontKeys(const TSectionIndex::Lines* lines) : lines_(lines) {}

  bool Find(std::string_view key, std::string& value) const {
    if (lines_ == nullptr) return false;
    const auto it = lines_->find(AsciiLower(key));
    return it != lines_->end() && ProfileLineValue(it->second, value);
  }
  std::int32_t Int(std::string_view key, std::int32_t def) const {
    std::int32_t n = 0;
    return Find(key, value_) && ParseProfileInt(value_, n) ? n : def;
  }
  std::int32_t Glyph(std::string_view key) const {
    return Find(key, value_) ? ParseGlyphValue(value_) : 0;
  }

 private:
  const TSectionIndex::Lines* lines_;
  mutable std::string value_;  // scratch, reused for every key
};

// Piece words in the order of the position record's piece codes 1..6.
constexpr std::array<std::string_view, 7> kPieceWords = {"",     "Pawn",  "Knight", "Bishop",
                                                         "Rook", "Queen", "King"};
constexpr std::array<std::string_view, 2> kColourWords = {"White", "Black"};

// Reads one font's section into `rec` (Name already set).
void ReadFontSection(const TFontKeys& keys, ChessFontInfoRec& rec) {
  rec.Charset = keys.Int("Charset", 2);

  // Dark squares first, then light ones; the order of the keys does not
  // matter for the result.
  std::string key;
  for (int sq : {1, 0}) {
    const char* suffix = sq == 1 ? "_B" : "_W";
    rec.Blank[sq] = keys.Glyph(std::string("Blank") + suffix);
    for (int colour : {1, 0}) {
      for (int piece = 6; piece >= 1; --piece) {
        key.assign(kColourWords[colour]).append(kPieceWords[piece]).append(suffix);
        rec.Pieces[piece][colour][sq] = keys.Glyph(key);
      }
    }
  }

  rec.BorderNW = keys.Glyph("BorderNW");
  rec.BorderN = keys.Glyph("BorderN");
  rec.BorderNE = keys.Glyph("BorderNE");
  rec.BorderW = keys.Glyph("BorderW");
  rec.BorderE = keys.Glyph("BorderE");
  rec.BorderSW = keys.Glyph("BorderSW");
  rec.BorderS = keys.Glyph("BorderS");
  rec.BorderSE = keys.Glyph("BorderSE");
  rec.FullBorder = rec.BorderNW != 0 && rec.BorderN != 0 && rec.BorderNE != 0 && rec.BorderW != 0 &&
                   rec.BorderE != 0 && rec.BorderSW != 0 && rec.BorderS != 0 && rec.BorderSE != 0;

  rec.CoordBorderNW = keys.Glyph("CoordBorderNW");
  if (rec.CoordBorderNW == 0) rec.CoordBorderNW = rec.BorderNW;
  rec.CoordBorderSW = keys.Glyph("CoordBorderSW");
  if (rec.CoordBorderSW == 0) rec.CoordBorderSW = rec.BorderSW;

  bool coords = rec.CoordBorderNW != 0 && rec.CoordBorderSW != 0;
  for (int i = 0; i < 8; ++i) {
    const char digit[2] = {static_cast<char>('1' + i), '\0'};
    rec.WestCoords[i] = keys.Glyph(std::string("BorderW") + digit);
    coords = coords && rec.WestCoords[i] != 0;
  }
  for (int i = 0; i < 8; ++i) {
    const char digit[2] = {static_cast<char>('1' + i), '\0'};
    rec.SouthCoords[i] = keys.Glyph(std::string("BorderS") + digit);
    coords = coords && rec.SouthCoords[i] != 0;
  }
  rec.CoordinatesPossible = coords;

  rec.Text = keys.Int("Text", 1) == 1;
  rec.Diagram = keys.Int("Diagram", 1) == 1;
  rec.Figurines = keys.Int("Figurines", 0) == 1;
  for (int colour : {0, 1}) {
    for (int piece = 6; piece >= 1; --piece) {
      key.assign(kColourWords[colour]).append(kPieceWords[piece]);
      rec.FigurineGlyphs[piece][colour] = keys.Glyph(key);
    }
  }
  rec.Symbols = keys.Int("Symbols", 0) == 1;
  rec.SymbolGlyphs.fill(TSymbolGlyph{});
  for (int i = 1; i <= kSymbolCount; ++i) {
    const std::int32_t glyph = keys.Glyph(kSymbolNames[i]);
    rec.SymbolGlyphs[i] = TSymbolGlyph{glyph != 0, glyph};
  }
}

// One numbered entry of the font list, its value read as a lookup reads it.
struct TListedFont {
  std::string Name;
  bool Listed = false;
};

// The font list in number order: the "font<n>" keys that are there for n
// from 1 to "Fonts". A missing key reads as "?", which is no installed font,
// so Fonts=2147483647 costs no more than its keys.
std::vector<TListedFont> ReadFontList(std::string_view text) {
  const TSectionIndex head(text, {AsciiLower(kFontsSection)}, IsFontListKey);
  const TSectionIndex::Lines* list = head.Keys(kFontsSection);
  if (list == nullptr) return {};
  std::int32_t count = 0;
  std::string value;
  if (const auto it = list->find("fonts");
      it == list->end() || !ProfileLineValue(it->second, value) || !ParseProfileInt(value, count))
    count = 0;
  if (count <= 0) return {};

  std::vector<std::pair<std::int32_t, std::string_view>> keys;
  for (const auto& [key, line] : *list) {
    const std::int32_t n = FontKeyNumber(key);
    if (n >= 1 && n <= count) keys.emplace_back(n, line);
  }
  std::sort(keys.begin(), keys.end());
  std::vector<TListedFont> fonts;
  fonts.reserve(keys.size());
  std::string name;
  for (const auto& [n, line] : keys) {
    const bool listed = ProfileLineValue(line, name);
    fonts.push_back(TListedFont{listed ? name : std::string("?"), listed});
  }
  return fonts;
}

// The catalogue's entries as indices into the distinct spellings of their
// names.
struct TFontSelection {
  std::vector<std::string> Spellings;  // in order of first appearance
  std::vector<int> First;              // [spelling] 1-based index of its first entry
  std::vector<std::size_t> Order;      // catalogue order -> spelling
};

// The listed fonts that are installed (names compared without regard to
// case), or all listed ones when `installed` is null.
TFontSelection SelectFonts(const std::vector<TListedFont>& list,
                           const std::vector<std::string>* installed) {
  std::unordered_set<std::string> installedLower;
  if (installed != nullptr) {
    installedLower.reserve(installed->size());
    for (const std::string& name : *installed) installedLower.insert(AsciiLower(name));
  }
  TFontSelection chosen;
  std::unordered_map<std::string, std::size_t> spellingIndex;
  for (const TListedFont& font : list) {
    if (installed != nullptr ? installedLower.count(AsciiLower(font.Name)) == 0 : !font.Listed)
      continue;
    const auto [it, added] = spellingIndex.emplace(font.Name, chosen.Spellings.size());
    if (added) {
      chosen.Spellings.push_back(font.Name);
      chosen.First.push_back(static_cast<int>(chosen.Order.size()) + 1);
    }
    chosen.Order.push_back(it->second);
  }
  return chosen;
}

// One glyph map per spelling. Sections are found without regard to case,
// so every spelling of a name reads the same glyphs: each section is read
// once, and every font without a section of its own shares one map of
// defaults.
std::vector<ChessFontInfoRec> ReadGlyphMaps(std::string_view text,
                                            std::vector<std::string> spellings) {
  std::unordered_set<std::string> wanted;
  for (const std::string& spelling : spellings) wanted.insert(AsciiLower(spelling));
  const TSectionIndex sections(text, wanted, [](std::string_view) { return true; });
  std::unordered_map<std::string, std::size_t> bySection;  // lower-case name -> map
  std::optional<std::size_t> defaults;
  std::vector<ChessFontInfoRec> maps;
  maps.reserve(spellings.size());
  for (std::string& spelling : spellings) {
    std::string lower = AsciiLower(spelling);
    const TSectionIndex::Lines* keys = sections.Keys(lower);
    std::optional<std::size_t> same = defaults;
    if (keys != nullptr) {
      const auto it = bySection.find(lower);
      same = it == bySection.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }
    if (same) {
      maps.push_back(maps[*same]);
    } else {
      maps.emplace_back();
      ReadFontSection(TFontKeys(keys), maps.back());
      if (keys != nullptr)
        bySection.emplace(std::move(lower), maps.size() - 1);
      else
        defaults = maps.size() - 1;
    }
    maps.back().Name = std::move(spelling);
  }
  return maps;
}

}  // namespace

std::int32_t ParseGlyphValue(std::string_view value) {
  if (value.size() >= 2 && value[0] == '\\') return static_cast<unsigned char>(value[1]);
  if (value.size() >= 2 && value[0] == '$') {
    std::int64_t code = 0;
    for (char c : value.substr(1)) {
      const int d = HexDigit(c);
      if (d < 0) return 0;
      code = code * 16 + d;
      // Beyond the signed 32-bit range there is no sensible glyph.
      if (code > 0x7FFFFFFF) return 0;
    }
    return static_cast<std::int32_t>(code);
  }
  std::int32_t code = 0;
  return ParseProfileInt(value, code) ? code : 0;
}

TChessFontInfoMan::TChessFontInfoMan(const std::string& path)
    : TChessFontInfoMan(path, &InstalledFontList()) {}

TChessFontInfoMan::TChessFontInfoMan(const std::string& path,
                                     const std::vector<std::string>* installed) {
  std::string text;
  if (!ReadWholeFile(path, text)) return;  // a missing file is an empty catalogue
  TFontSelection chosen = SelectFonts(ReadFontList(text), installed);
  if (chosen.Spellings.empty()) return;
  first_ = std::move(chosen.First);
  order_ = std::move(chosen.Order);
  maps_ = ReadGlyphMaps(text, std::move(chosen.Spellings));
}

std::vector<std::string> DescribedFontNames(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return {};
  return SelectFonts(ReadFontList(text), nullptr).Spellings;
}

const std::string& TChessFontInfoMan::FontName(int i) const {
  return (i < 1 || i > FontCount()) ? empty_.Name : At(i).Name;
}

ChessFontInfoRec TChessFontInfoMan::GetFontInfo(int i) const {
  return (i < 1 || i > FontCount()) ? empty_ : At(i);
}

int TChessFontInfoMan::FontIndex(std::string_view name) const {
  for (std::size_t i = 0; i < maps_.size(); ++i) {
    if (maps_[i].Name == name) return first_[i];
  }
  return -1;
}

const ChessFontInfoRec& TChessFontInfoMan::FontInfoRef(std::string_view name) const {
  const int i = FontIndex(name);
  return i < 0 ? empty_ : At(i);
}

ChessFontInfoRec TChessFontInfoMan::GetFontInfoByName(std::string_view name) const {
  return FontInfoRef(name);
}

std::int32_t TChessFontInfoMan::FontCharset(std::string_view name) const {
  return FontInfoRef(name).Charset;
}

}  // namespace bq
