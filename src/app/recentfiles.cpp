#include "app/recentfiles.h"

#include <algorithm>

#include "support/settings.h"

namespace bq {

namespace {

constexpr char kSection[] = "RecentFiles";

std::string Key(std::size_t i) {
  return "File" + std::to_string(i + 1);
}

}  // namespace

TRecentFiles TRecentFiles::Read() {
  TRecentFiles recent;
  for (std::size_t i = 0; i < kMax; ++i) {
    const std::string path = ReadStrSetting(kSection, Key(i), "");
    const auto& paths = recent.paths_;
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
      recent.paths_.push_back(path);
  }
  return recent;
}

void TRecentFiles::Write() const {
  for (std::size_t i = 0; i < kMax; ++i) {
    const std::string path = i < paths_.size() ? paths_[i] : std::string();
    if (path != ReadStrSetting(kSection, Key(i), "")) WriteStrSetting(kSection, Key(i), path);
  }
}

void TRecentFiles::Add(std::string_view path) {
  Remove(path);
  paths_.insert(paths_.begin(), std::string(path));
  if (paths_.size() > kMax) paths_.resize(kMax);
}

void TRecentFiles::Remove(std::string_view path) {
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

}  // namespace bq
