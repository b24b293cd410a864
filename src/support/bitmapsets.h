#pragma once
// Registry of piece bitmap sets (one row of 14 square cells per picture) and
// the board colour set with its palette. Nothing in this program draws with
// them; they are registered at start-up for boards drawn as pictures.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bq {

inline constexpr std::int32_t kBitmapCells = 14;

struct TBitmapData {
  std::string Source;  // resource name, or file path when FromFile is 1
  std::uint8_t FromFile = 0;
  std::string DisplayName;
  std::string FamilyName;
  std::int32_t CellSize = 0;  // bitmap width / 14
  std::int32_t Height = 0;    // bitmap height
  std::int32_t Reserved = 0;
};

struct TFamilyData {
  std::string Name;
  std::vector<int> Sets;  // indices of the family's sets, in registration order
};

struct TBitmapSize {
  std::int32_t Width = 0, Height = 0;
};

// Loads a bitmap (a program resource, or a file when fromFile is set) and
// gives its size; throws TRunError when it cannot be loaded.
using TBitmapLoader = std::function<TBitmapSize(const std::string& source, bool fromFile)>;

struct TBuiltInBitmapSet {
  const char* Name;
  const char* DisplayName;
  const char* Family;
  const char* Resource;
  std::int32_t Width, Height;
};
// The six sets built into the program, in registration order.
const std::array<TBuiltInBitmapSet, 6>& BuiltInBitmapSets();

// The default loader: built-in resources by name (case ignored), files by
// their BMP header.
TBitmapSize LoadBitmapSize(const std::string& source, bool fromFile);
TBitmapSize ReadBmpFileSize(const std::string& path);

class TBitmapSetRegistry {
 public:
  explicit TBitmapSetRegistry(TBitmapLoader loader = LoadBitmapSize);

  // The index of a set already registered under the name (case ignored), or
  // the new set's index. A failed load registers nothing and propagates.
  int RegisterBitmapSet(std::string_view name, std::string_view displayName,
                        std::string_view familyName, std::string_view source, bool fromFile);

  int Count() const { return static_cast<int>(records_.size()); }
  int IndexOf(std::string_view name) const;  // -1 when unknown
  const std::string& Name(int index) const { return names_.at(static_cast<std::size_t>(index)); }
  const TBitmapData& Set(int index) const { return records_.at(static_cast<std::size_t>(index)); }
  const std::vector<TFamilyData>& Families() const { return families_; }

 private:
  TBitmapLoader loader_;
  std::vector<std::string> names_;
  std::vector<TBitmapData> records_;  // parallel to names_
  std::vector<TFamilyData> families_;
};

struct TRGB {
  std::uint8_t Red = 0, Green = 0, Blue = 0;
  bool operator==(const TRGB&) const = default;
};

// Board colour set. Colours hold red in the low byte, then green, then blue.
class T_ChsBmpManO {
 public:
  static constexpr std::uint16_t kPaletteVersion = 0x300;
  static constexpr std::size_t kPaletteEntries = 9;

  T_ChsBmpManO();
  // Rebuilds the palette from the current colours: colours 1 to 3, then
  // group colours 2 to 7.
  void BuildPalette();
  const std::optional<std::vector<TRGB>>& Palette() const { return palette_; }

  std::array<std::uint32_t, 4> Colours{10408941, 4822170, 16776960, 16711680};
  std::array<std::uint32_t, 7> GroupColours{0, 255, 32768, 65535, 0, 16711680, 16776960};
  std::uint8_t Flag = 1;

 private:
  std::optional<std::vector<TRGB>> palette_;
};

TRGB ColourToRGB(std::uint32_t colour);

// Start-up: the registry with the six built-in sets, then the colour set.
void InitBitmapSets(TBitmapLoader loader = LoadBitmapSize);
// Frees the colour set, then the registry.
void DoneBitmapSets();
TBitmapSetRegistry* BitmapSets();  // nullptr outside Init/Done
T_ChsBmpManO* BoardColourSet();    // nullptr outside Init/Done

}  // namespace bq
