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

#ifdef _WIN32
#include <windows.h>
#else
#include <fontconfig/fontconfig.h>
#endif

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

char LowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerChar(x)) < static_cast<unsigned char>(LowerChar(y));
  });
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerChar(x) == LowerChar(y);
         });
}

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

#ifdef _WIN32
int CALLBACK CollectFamily(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM param) {
  reinterpret_cast<std::vector<std::string>*>(param)->emplace_back(lf->lfFaceName);
  return 1;
}

std::vector<std::string> ReportedFamilies() {
  std::vector<std::string> names;
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return names;
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;  // every family in every character set
  EnumFontFamiliesExA(dc, &lf, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
  ReleaseDC(nullptr, dc);
  return names;
}
#else
std::vector<std::string> ReportedFamilies() {
  std::vector<std::string> names;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = (pattern && objects) ? FcFontList(nullptr, pattern, objects) : nullptr;
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      // A font may report several family names (e.g. a typographic family
      // and its own); each one is a name by which it can be asked for.
      FcChar8* family = nullptr;
      for (int k = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, k, &family) == FcResultMatch;
           ++k) {
        names.emplace_back(reinterpret_cast<const char*>(family));
      }
    }
    FcFontSetDestroy(set);
  }
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  return names;
}
#endif

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

std::vector<std::string> BuildInstalledFontList(const std::vector<std::string>& reported) {
  std::vector<std::string> list;
  list.reserve(reported.size() + 1);
  list.emplace_back("Default");
  for (const std::string& name : reported) {
    if (!name.empty()) list.push_back(name);
  }
  // Platforms report a family once per character set or style, not always
  // next to each other: sort first, then keep the first spelling of each.
  std::stable_sort(list.begin(), list.end(), LessNoCase);
  list.erase(
      std::unique(list.begin(), list.end(),
                  [](const std::string& a, const std::string& b) { return EqualNoCase(a, b); }),
      list.end());
  return list;
}

const std::vector<std::string>& InstalledFontList() {
  static const std::vector<std::string> list = BuildInstalledFontList(ReportedFamilies());
  return list;
}

TChessFontInfoMan::TChessFontInfoMan(const std::string& path)
    : TChessFontInfoMan(path, &InstalledFontList()) {}

TChessFontInfoMan::TChessFontInfoMan(const std::string& path,
                                     const std::vector<std::string>* installed) {
  std::string text;
  if (!ReadWholeFile(path, text)) return;  // a missing file is an empty catalogue

  const TSectionIndex head(text, {AsciiLower(kFontsSection)}, IsFontListKey);
  const TSectionIndex::Lines* list = head.Keys(kFontsSection);
  if (list == nullptr) return;
  std::int32_t count = 0;
  std::string value;
  if (const auto it = list->find("fonts");
      it == list->end() || !ProfileLineValue(it->second, value) || !ParseProfileInt(value, count))
    count = 0;
  if (count <= 0) return;

  // Only the numbered keys that are there: a missing one reads as "?", which
  // is no installed font, so Fonts=2147483647 costs no more than its keys.
  std::vector<std::pair<std::int32_t, std::string_view>> keys;
  for (const auto& [key, line] : *list) {
    const std::int32_t n = FontKeyNumber(key);
    if (n >= 1 && n <= count) keys.emplace_back(n, line);
  }
  std::sort(keys.begin(), keys.end());

  std::unordered_set<std::string> installedLower;
  if (installed != nullptr) {
    installedLower.reserve(installed->size());
    for (const std::string& name : *installed) installedLower.insert(AsciiLower(name));
  }

  // Catalogue order as indices into the distinct spellings of the names.
  std::vector<std::string> spellings;
  std::unordered_map<std::string, std::size_t> spellingIndex;
  std::unordered_set<std::string> wanted;
  std::string key;
  std::string name;
  for (const auto& [n, line] : keys) {
    const bool listed = ProfileLineValue(line, name);
    if (!listed) name = "?";
    std::string lower = AsciiLower(name);
    if (installed != nullptr ? installedLower.count(lower) == 0 : !listed) continue;
    const auto [it, added] = spellingIndex.emplace(name, spellings.size());
    if (added) {
      spellings.push_back(name);
      first_.push_back(static_cast<int>(order_.size()) + 1);
      wanted.insert(std::move(lower));
    }
    order_.push_back(it->second);
  }
  if (spellings.empty()) return;

  // Sections are found without regard to case, so every spelling of a name
  // reads the same glyphs: read each section once.
  const TSectionIndex sections(text, wanted, [](std::string_view) { return true; });
  std::unordered_map<std::string, std::size_t> bySection;  // lower-case name -> map
  std::optional<std::size_t> defaults;                     // a font without a section of its own
  maps_.reserve(spellings.size());
  for (std::string& spelling : spellings) {
    std::string lower = AsciiLower(spelling);
    const bool hasSection = sections.Keys(lower) != nullptr;
    std::optional<std::size_t> same = defaults;
    if (hasSection) {
      const auto it = bySection.find(lower);
      same = it == bySection.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }
    if (same) {
      maps_.push_back(maps_[*same]);
    } else {
      maps_.emplace_back();
      ReadFontSection(TFontKeys(sections.Keys(lower)), maps_.back());
      if (hasSection)
        bySection.emplace(std::move(lower), maps_.size() - 1);
      else
        defaults = maps_.size() - 1;
    }
    maps_.back().Name = std::move(spelling);
  }
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
