#include "support/bitmapsets.h"

#include <algorithm>
#include <climits>
#include <fstream>

#include "support/ascii.h"
#include "support/errors.h"

namespace bq {

namespace {

std::int32_t ReadLE(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  if (bytes == 2) return static_cast<std::int16_t>(v);
  return static_cast<std::int32_t>(v);
}

[[noreturn]] void InvalidBitmap() {
  throw TRunError("Bitmap image is not valid");
}

std::unique_ptr<TBitmapSetRegistry>& RegistryInstance() {
  static std::unique_ptr<TBitmapSetRegistry> r;
  return r;
}

std::unique_ptr<T_ChsBmpManO>& ColourSetInstance() {
  static std::unique_ptr<T_ChsBmpManO> c;
  return c;
}

}  // namespace

const std::array<TBuiltInBitmapSet, 6>& BuiltInBitmapSets() {
  static const std::array<TBuiltInBitmapSet, 6> sets{{
      {"Regular24", "Regular (24)", "Regular", "regular24", 336, 24},
      {"Regular32", "Regular (32)", "Regular", "regular32", 448, 32},
      {"Regular40", "Regular (40)", "Regular", "regular40", 560, 40},
      {"Rurezuv32", "Rurezuv (32)", "Rurezuv", "rurezuv32", 448, 32},
      {"Rurezuv40", "Rurezuv (40)", "Rurezuv", "rurezuv40", 560, 40},
      {"Rurezuv48", "Rurezuv (48)", "Rurezuv", "rurezuv48", 672, 48},
  }};
  return sets;
}

TBitmapSize ReadBmpFileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TRunError("Cannot open file \"" + path + "\"");
  unsigned char h[26] = {};
  in.read(reinterpret_cast<char*>(h), sizeof h);
  if (in.gcount() < 22 || h[0] != 'B' || h[1] != 'M') InvalidBitmap();
  const std::int32_t infoSize = ReadLE(h + 14, 4);
  TBitmapSize size;
  if (infoSize == 12) {  // OS/2 core header: 16-bit sizes
    size = {ReadLE(h + 18, 2), ReadLE(h + 20, 2)};
  } else if (infoSize >= 40 && in.gcount() == 26) {
    size = {ReadLE(h + 18, 4), ReadLE(h + 22, 4)};
    // A negative height marks a top-down bitmap; the lowest value has no
    // positive counterpart.
    if (size.Height == INT32_MIN) InvalidBitmap();
    if (size.Height < 0) size.Height = -size.Height;
  } else {
    InvalidBitmap();
  }
  if (size.Width <= 0 || size.Height <= 0) InvalidBitmap();
  return size;
}

TBitmapSize LoadBitmapSize(const std::string& source, bool fromFile) {
  if (fromFile) return ReadBmpFileSize(source);
  for (const auto& s : BuiltInBitmapSets())
    if (SameAsciiText(source, s.Resource)) return {s.Width, s.Height};
  throw TRunError("Resource " + source + " not found");
}

TBitmapSetRegistry::TBitmapSetRegistry(TBitmapLoader loader) : loader_(std::move(loader)) {}

int TBitmapSetRegistry::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (SameAsciiText(names_[i], name)) return static_cast<int>(i);
  return -1;
}

int TBitmapSetRegistry::RegisterBitmapSet(std::string_view name, std::string_view displayName,
                                          std::string_view familyName, std::string_view source,
                                          bool fromFile) {
  if (int existing = IndexOf(name); existing >= 0) return existing;
  TBitmapData data;
  data.Source = std::string(source);
  data.FromFile = fromFile ? 1 : 0;
  data.DisplayName = std::string(displayName);
  data.FamilyName = std::string(familyName);
  // Loaded before anything is appended, so a failure leaves the name and
  // record lists parallel.
  const TBitmapSize size = loader_(data.Source, fromFile);
  data.CellSize = size.Width / kBitmapCells;
  data.Height = size.Height;

  names_.emplace_back(name);
  records_.push_back(std::move(data));
  const int index = Count() - 1;
  if (!familyName.empty()) {
    auto it = std::find_if(families_.begin(), families_.end(),
                           [&](const TFamilyData& f) { return SameAsciiText(f.Name, familyName); });
    if (it == families_.end())
      it = families_.insert(families_.end(), {std::string(familyName), {}});
    it->Sets.push_back(index);
  }
  return index;
}

TRGB ColourToRGB(std::uint32_t colour) {
  return {static_cast<std::uint8_t>(colour & 0xFF), static_cast<std::uint8_t>((colour >> 8) & 0xFF),
          static_cast<std::uint8_t>((colour >> 16) & 0xFF)};
}

T_ChsBmpManO::T_ChsBmpManO() {
  BuildPalette();
}

void T_ChsBmpManO::BuildPalette() {
  palette_.reset();
  std::vector<TRGB> entries;
  entries.reserve(kPaletteEntries);
  for (std::size_t i = 0; i < 3; ++i) entries.push_back(ColourToRGB(Colours[i]));
  for (std::size_t i = 1; i < GroupColours.size(); ++i)
    entries.push_back(ColourToRGB(GroupColours[i]));
  palette_ = std::move(entries);
}

void InitBitmapSets(TBitmapLoader loader) {
  auto registry = std::make_unique<TBitmapSetRegistry>(std::move(loader));
  for (const auto& s : BuiltInBitmapSets())
    registry->RegisterBitmapSet(s.Name, s.DisplayName, s.Family, s.Resource, false);
  RegistryInstance() = std::move(registry);
  ColourSetInstance() = std::make_unique<T_ChsBmpManO>();
}

void DoneBitmapSets() {
  ColourSetInstance().reset();
  RegistryInstance().reset();
}

TBitmapSetRegistry* BitmapSets() {
  return RegistryInstance().get();
}
T_ChsBmpManO* BoardColourSet() {
  return ColourSetInstance().get();
}

}  // namespace bq
