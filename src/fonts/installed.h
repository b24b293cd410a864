#pragma once
// The fonts this machine has installed, by family name (fontconfig on Linux,
// the system font enumeration on Windows).
#include <string>
#include <vector>

namespace bq {

// The sorted installed font names plus "Default", built once.
const std::vector<std::string>& InstalledFontList();
// Builds the list from given family names (used by InstalledFontList and tests).
std::vector<std::string> BuildInstalledFontList(const std::vector<std::string>& reported);

}  // namespace bq
