#include "fonts/installed.h"

#include <algorithm>
#include <utility>

#include "support/ascii.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fontconfig/fontconfig.h>
#endif

namespace bq {

namespace {

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

std::vector<std::string> BuildInstalledFontList(const std::vector<std::string>& reported) {
  // (lower-case name, name): platforms report a family once per character
  // set or style, not always next to each other, so sort first, then keep
  // the first spelling of each.
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(reported.size() + 1);
  keyed.emplace_back("default", "Default");
  for (const std::string& name : reported) {
    if (!name.empty()) keyed.emplace_back(AsciiLower(name), name);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  keyed.erase(std::unique(keyed.begin(), keyed.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              keyed.end());
  std::vector<std::string> list;
  list.reserve(keyed.size());
  for (auto& [lower, name] : keyed) list.push_back(std::move(name));
  return list;
}

const std::vector<std::string>& InstalledFontList() {
  static const std::vector<std::string> list = BuildInstalledFontList(ReportedFamilies());
  return list;
}

}  // namespace bq
