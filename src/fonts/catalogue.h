#pragma once
// The catalogue of chess diagram fonts read from ChsFonts.ini: for every font
// listed there that is installed, one glyph map.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/installed.h"

namespace bq {

inline constexpr int kSymbolCount = 47;
extern const std::array<const char*, kSymbolCount + 1> kSymbolNames;  // [0] unused

struct TSymbolGlyph {
  bool Present = false;
  std::int32_t Glyph = 0;
};

// Glyph codes: the low 8 bits are the character; 0 means "no such glyph".
struct ChessFontInfoRec {
  std::string Name;
  std::int32_t Charset = 0;
  std::array<std::int32_t, 3> Blank{};  // [square colour]
  // [piece][colour][square colour]
  std::array<std::array<std::array<std::int32_t, 3>, 3>, 7> Pieces{};
  std::int32_t BorderNW = 0, BorderN = 0, BorderNE = 0, BorderW = 0, BorderE = 0, BorderSW = 0,
               BorderS = 0;
  std::int32_t CoordBorderNW = 0, CoordBorderSW = 0;
  std::int32_t BorderSE = 0;
  std::array<std::int32_t, 8> WestCoords{};   // rank 1..8 at [0..7]
  std::array<std::int32_t, 8> SouthCoords{};  // file a..h at [0..7]
  bool Diagram = false;
  bool CoordinatesPossible = false;
  bool FullBorder = false;
  bool Figurines = false;
  std::array<std::array<std::int32_t, 3>, 7> FigurineGlyphs{};  // [piece][colour]
  bool Symbols = false;
  std::array<TSymbolGlyph, kSymbolCount + 1> SymbolGlyphs{};
  bool Text = false;
};

// Glyph value forms: "\c" (code of c), "$hex", or an integer.
std::int32_t ParseGlyphValue(std::string_view value);

// The names that the font list of the description file holds, each
// spelling once, in list order, installed or not.
std::vector<std::string> DescribedFontNames(const std::string& path);

class TChessFontInfoMan {
 public:
  // Never fails: a missing file gives an empty catalogue.
  explicit TChessFontInfoMan(const std::string& path);
  // For tests and `--all-fonts`: filter against `installed`, or keep every
  // listed font when `installed` is null.
  TChessFontInfoMan(const std::string& path, const std::vector<std::string>* installed);

  int FontCount() const { return static_cast<int>(order_.size()); }
  const std::string& FontName(int i) const;    // 1-based
  ChessFontInfoRec GetFontInfo(int i) const;   // 1-based
  int FontIndex(std::string_view name) const;  // exact match, or -1
  ChessFontInfoRec GetFontInfoByName(std::string_view name) const;
  std::int32_t FontCharset(std::string_view name) const;
  // Avoids a copy in hot paths; the empty map when the name is not catalogued.
  const ChessFontInfoRec& FontInfoRef(std::string_view name) const;

 private:
  const ChessFontInfoRec& At(int i) const { return maps_[order_[static_cast<std::size_t>(i - 1)]]; }

  // One glyph map per distinct spelling of a name; a font listed many times
  // shares it, so a file repeating one name cannot exhaust memory.
  std::vector<ChessFontInfoRec> maps_;
  std::vector<int> first_;          // [map] 1-based catalogue index of its first entry
  std::vector<std::size_t> order_;  // catalogue order -> index into maps_
  ChessFontInfoRec empty_;
};

}  // namespace bq
