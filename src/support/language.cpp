#include "support/language.h"

#include "support/ascii.h"
#include "support/profile.h"
#include "support/settings.h"

namespace bq {

namespace {

std::unique_ptr<T_AppLanMan>& Instance() {
  static std::unique_ptr<T_AppLanMan> instance;
  return instance;
}

}  // namespace

T_AppLanMan::T_AppLanMan(const std::string& commonFolder) {
  LoadLanguageNames(commonFolder + "lngnames.ini");
  EnglishLanguage = RegisterLanguage("english", "");
  SymbolicLanguage = RegisterLanguage("symbolic", "");
  DefaultLanguage = RegisterLanguage("default", "");
  CustomLanguage = RegisterLanguage("custom", "");
}

int T_AppLanMan::RegisterLanguage(std::string_view name, std::string_view displayName) {
  const std::string lower = AsciiLower(name);
  for (T_LangInfo& info : infos_) {
    if (info.Name != lower) continue;
    if (info.DisplayName.empty()) info.DisplayName = std::string(displayName);
    return info.Index;
  }
  T_LangInfo info;
  info.Name = lower;
  info.Index = Count();
  info.DisplayName = std::string(displayName);
  infos_.push_back(std::move(info));
  return infos_.back().Index;
}

int T_AppLanMan::LanguageIndex(std::string_view name, std::string_view secondName) const {
  const std::string lower = AsciiLower(name);
  for (const T_LangInfo& info : infos_)
    if (info.Name == lower) return info.Index;
  if (!secondName.empty()) {
    const std::string second = AsciiLower(secondName);
    for (const T_LangInfo& info : infos_)
      if (info.Name == second) return info.Index;
  }
  return -1;
}

std::string T_AppLanMan::LanguageName(int index) const {
  const T_LangInfo* info = Info(index);
  return info ? info->Name : std::string();
}

const T_LangInfo* T_AppLanMan::Info(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &infos_[static_cast<std::size_t>(index)];
}

void T_AppLanMan::LoadLanguageNames(const std::string& path) {
  const TProfileFile file = TProfileFile::Load(path);
  for (const std::string& section : file.Sections()) {
    // "[]" names no language; registering it would give an index to "".
    if (section.empty()) continue;
    RegisterLanguage(section, section);
    for (const std::string& key : file.Keys(section)) {
      std::string value = file.ReadString(section, key, "");
      if (!value.empty()) SetLanguageName(section, key, value);
    }
  }
}

void T_AppLanMan::SetLanguageName(std::string_view section, std::string_view key,
                                  std::string_view value) {
  const std::string lowerSection = AsciiLower(section);
  const int index = RegisterLanguage(lowerSection, "");
  T_LangInfo& info = infos_[static_cast<std::size_t>(index)];
  const std::string composite = lowerSection + "#" + AsciiLower(key);
  for (std::size_t i = 0; i < info.EntryKeys.size(); ++i) {
    if (info.EntryKeys[i] == composite) {
      info.EntryValues[i] = std::string(value);
      return;
    }
  }
  info.EntryKeys.push_back(composite);
  info.EntryValues.emplace_back(value);
}

T_AppLanMan& AppLanMan() {
  auto& instance = Instance();
  if (!instance) instance = std::make_unique<T_AppLanMan>(CommonFolder());
  return *instance;
}

void InitLanguageManager(const std::string& commonFolder) {
  Instance() = std::make_unique<T_AppLanMan>(commonFolder);
}

void DoneLanguageManager() {
  Instance().reset();
}

}  // namespace bq
