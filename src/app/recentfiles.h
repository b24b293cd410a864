#pragma once
// The recent files of File > Open Recent: the newest first, each once, at
// most eight, kept in the settings file (section "RecentFiles", keys File1
// to File8).
#include <string>
#include <string_view>
#include <vector>

namespace bq {

class TRecentFiles {
 public:
  static constexpr std::size_t kMax = 8;

  // The list as the settings file holds it; empty and repeated entries are
  // skipped.
  static TRecentFiles Read();
  // Writes the keys whose stored value differs.
  void Write() const;

  // Puts the path at the top; the oldest entry falls off beyond eight.
  void Add(std::string_view path);
  void Remove(std::string_view path);

  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
};

}  // namespace bq
