#pragma once
// Process-wide registry of language names and their fixed 0-based indices.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bq {

struct T_LangInfo {
  std::string Name;  // lower-cased
  int Index = 0;
  std::vector<std::string> EntryKeys;    // composite keys "section#key", lower-cased
  std::vector<std::string> EntryValues;  // parallel to EntryKeys
  std::string DisplayName;
};

class T_AppLanMan {
 public:
  // Reads lngnames.ini from `commonFolder` (which ends in a separator), then
  // registers english, symbolic, default and custom.
  explicit T_AppLanMan(const std::string& commonFolder);

  int RegisterLanguage(std::string_view name, std::string_view displayName);
  int LanguageIndex(std::string_view name, std::string_view secondName = {}) const;
  std::string LanguageName(int index) const;  // "" for an unknown index
  void LoadLanguageNames(const std::string& path);
  void SetLanguageName(std::string_view section, std::string_view key, std::string_view value);
  const T_LangInfo* Info(int index) const;  // nullptr for an unknown index
  int Count() const { return static_cast<int>(infos_.size()); }

  int EnglishLanguage = -1;
  int SymbolicLanguage = -1;
  int DefaultLanguage = -1;
  int CustomLanguage = -1;

 private:
  std::vector<T_LangInfo> infos_;
};

// The one language manager of the run; created at start-up (InitLanguageManager)
// and released last at shutdown.
T_AppLanMan& AppLanMan();
void InitLanguageManager(const std::string& commonFolder);
void DoneLanguageManager();

}  // namespace bq
