#include "fonts/fontstatus.h"

#include <algorithm>
#include <unordered_set>

#include "support/ascii.h"

namespace bq {

namespace {

// The installed names in lower case: platforms find fonts without regard to
// case.
std::unordered_set<std::string> LowerNames(const std::vector<std::string>& names) {
  std::unordered_set<std::string> lower;
  lower.reserve(names.size());
  for (const std::string& name : names) lower.insert(AsciiLower(name));
  return lower;
}

}  // namespace

TFontState DiagramFontState(std::string_view name, const std::vector<std::string>& described,
                            const std::vector<std::string>& installed) {
  if (name.empty()) return TFontState::NoneChosen;
  const bool isDescribed = std::find(described.begin(), described.end(), name) != described.end();
  const bool isInstalled = LowerNames(installed).count(AsciiLower(name)) != 0;
  if (isDescribed) return isInstalled ? TFontState::Ready : TFontState::NotInstalled;
  return isInstalled ? TFontState::NotDescribed : TFontState::Unknown;
}

std::string FontStateText(TFontState state, std::string_view name) {
  const std::string font(name);
  switch (state) {
    case TFontState::NoneChosen:
      return "No diagram font chosen: File > Settings...";
    case TFontState::NotInstalled:
      return font +
             " is not installed: install the free diagram fonts (install-fonts.sh) or choose "
             "another font in File > Settings...";
    case TFontState::NotDescribed:
      return font +
             " is installed, but ChsFonts.ini does not describe its glyphs, so the diagrams "
             "stay empty: choose another font in File > Settings...";
    case TFontState::Unknown:
      return font +
             " is neither installed nor described in ChsFonts.ini: choose another font in "
             "File > Settings...";
    case TFontState::Ready:
      break;
  }
  return {};
}

std::vector<std::string> MissingDescribedFonts(const std::vector<std::string>& described,
                                               const std::vector<std::string>& installed) {
  const std::unordered_set<std::string> present = LowerNames(installed);
  std::vector<std::string> missing;
  for (const std::string& name : described) {
    if (present.count(AsciiLower(name)) == 0) missing.push_back(name);
  }
  return missing;
}

}  // namespace bq
