#include "support/settings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/errors.h"
#include "support/profile.h"

#ifdef _WIN32
#include <windows.h>
// windows.h maps this name to the system's own profile writer.
#undef WriteProfileString
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace bq {

namespace {

std::string& ProgramPathOverride() {
  static std::string path;
  return path;
}

std::string& MachineConfigOverride() {
  static std::string path;
  return path;
}

std::string& CommonFolderCache() {
  static std::string folder;
  return folder;
}

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

std::string FolderOf(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1])) return path.substr(0, i);
  return {};
}

#ifndef _WIN32
bool Absolute(const char* p) {
  return p && p[0] == '/';
}

// $XDG_CONFIG_HOME/boardquill/, or ~/.config/boardquill/; "" without a home.
std::string UserConfigFolder() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); Absolute(xdg)) {
    base = xdg;
  } else {
    std::string home;
    if (const char* h = std::getenv("HOME"); Absolute(h)) {
      home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && Absolute(pw->pw_dir)) {
      home = pw->pw_dir;
    }
    if (home.empty()) return {};
    base = IncludeTrailingSeparator(home) + ".config";
  }
  return IncludeTrailingSeparator(base) + kUserConfigFolderName + "/";
}
#endif

// The per-user settings folder is the one folder the program makes, and only
// when a write needs it.
void PrepareSettingsWrite(const std::string& file) {
#ifndef _WIN32
  const std::string folder = FolderOf(file);
  const std::string user = UserConfigFolder();
  if (!user.empty() && folder == user && !IsDirectory(folder)) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);  // a failure shows up in the write
  }
#else
  (void)file;
#endif
}

}  // namespace

std::string ProgramPath() {
  if (!ProgramPathOverride().empty()) return ProgramPathOverride();
#ifdef _WIN32
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
#else
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return p.string();
  auto cwd = std::filesystem::current_path(ec);
  return ec ? std::string("./boardquill") : (cwd / "boardquill").string();
#endif
}

std::string ProgramFolder() {
  std::string folder = FolderOf(ProgramPath());
  if (folder.empty()) folder = std::string(".") + kPathSeparator;
  return folder;
}

std::string SettingsFolder() {
  const std::string program = ProgramFolder();
  const std::string app = program + "appsettings";
  if (IsDirectory(app)) return IncludeTrailingSeparator(app);
#ifndef _WIN32
  if (::access(program.c_str(), W_OK) != 0) {
    if (std::string user = UserConfigFolder(); !user.empty()) return user;
  }
#endif
  return program;
}

std::string SettingsFileName() {
  return SettingsFolder() + kSettingsFileName;
}

std::string IncludeTrailingSeparator(std::string_view path) {
  std::string p(path);
  if (!p.empty() && !IsSeparator(p.back())) p += kPathSeparator;
  return p;
}

std::string MachineCommonFiles() {
#ifdef _WIN32
  if (!MachineConfigOverride().empty())
    return ReadProfileString(MachineConfigOverride(), "Info", "CommonFiles", "");
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  struct KeyCloser {
    HKEY k;
    ~KeyCloser() { RegCloseKey(k); }
  } closer{key};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, "CommonFiles", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw TRunError("Invalid data type for 'CommonFiles'");
  std::string value(size, '\0');
  if (size > 0 && RegQueryValueExA(key, "CommonFiles", nullptr, &type,
                                   reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
    return {};
  value.resize(std::min<std::size_t>(size, value.size()));
  while (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
#else
  const std::string& file =
      MachineConfigOverride().empty() ? std::string(kMachineConfigFile) : MachineConfigOverride();
  return ReadProfileString(file, "Info", "CommonFiles", "");
#endif
}

std::string CommonFolder() {
  std::string& cache = CommonFolderCache();
  if (!cache.empty()) return cache;
  const std::string program = ProgramFolder();
  std::string folder = ReadProfileString(program + "shared.ini", "Info", "CommonFiles", "");
  if (folder.empty() && IsDirectory(program + "common")) folder = program + "common";
  if (folder.empty()) folder = MachineCommonFiles();
  if (folder.empty()) folder = program;
  cache = IncludeTrailingSeparator(folder);
  return cache;
}

void SetProgramPathForTesting(std::string path) {
  ProgramPathOverride() = std::move(path);
}
void SetMachineConfigFileForTesting(std::string path) {
  MachineConfigOverride() = std::move(path);
}
void ResetCommonFolder() {
  CommonFolderCache().clear();
}

std::int32_t ReadIntSetting(const std::string& file, std::string_view section, std::string_view key,
                            std::int32_t def) {
  return TProfileFile::Load(file).ReadInt(section, key, def);
}

void WriteIntSetting(const std::string& file, std::string_view section, std::string_view key,
                     std::int32_t value) {
  WriteStrSetting(file, section, key, std::to_string(value));
}

std::string ReadStrSetting(const std::string& file, std::string_view section, std::string_view key,
                           std::string_view def) {
  return TProfileFile::Load(file).ReadString(section, key, def);
}

void WriteStrSetting(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view value) {
  PrepareSettingsWrite(file);
  WriteProfileString(file, section, key, value);
}

bool ReadBoolSetting(const std::string& file, std::string_view section, std::string_view key,
                     bool def) {
  return ReadIntSetting(file, section, key, def ? 1 : 0) != 0;
}

void WriteBoolSetting(const std::string& file, std::string_view section, std::string_view key,
                      bool value) {
  WriteStrSetting(file, section, key, value ? "1" : "0");
}

void WriteIntSettings(const std::string& file, std::string_view section,
                      const std::vector<std::pair<std::string, std::int32_t>>& values) {
  PrepareSettingsWrite(file);
  TProfileFile f = TProfileFile::LoadForUpdate(file);
  for (const auto& [key, value] : values) f.WriteString(section, key, std::to_string(value));
  f.Save(file);
}

std::int32_t ReadIntSetting(std::string_view section, std::string_view key, std::int32_t def) {
  return ReadIntSetting(SettingsFileName(), section, key, def);
}
void WriteIntSetting(std::string_view section, std::string_view key, std::int32_t value) {
  WriteIntSetting(SettingsFileName(), section, key, value);
}
std::string ReadStrSetting(std::string_view section, std::string_view key, std::string_view def) {
  return ReadStrSetting(SettingsFileName(), section, key, def);
}
void WriteStrSetting(std::string_view section, std::string_view key, std::string_view value) {
  WriteStrSetting(SettingsFileName(), section, key, value);
}
bool ReadBoolSetting(std::string_view section, std::string_view key, bool def) {
  return ReadBoolSetting(SettingsFileName(), section, key, def);
}
void WriteBoolSetting(std::string_view section, std::string_view key, bool value) {
  WriteBoolSetting(SettingsFileName(), section, key, value);
}

}  // namespace bq
