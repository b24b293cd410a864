#pragma once
// The settings store: typed values in the profile file boardquill.ini, and
// the program and common folders. Every call opens the file,
// reads or writes once and closes it; nothing is cached but the common folder.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bq {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Linux stand-in for the machine-wide registry value: section "Info", key
// "CommonFiles" of this profile file.
inline constexpr const char kMachineConfigFile[] = "/etc/boardquill/common.ini";
inline constexpr const char kSettingsFileName[] = "boardquill.ini";
// Folder name under $XDG_CONFIG_HOME (or ~/.config) used when the program
// folder is read-only.
inline constexpr const char kUserConfigFolderName[] = "boardquill";

// Full path of the running program file.
std::string ProgramPath();
// The folder of the running program, ending in a separator.
std::string ProgramFolder();
// The folder that holds the settings file, ending in a separator: the
// program folder's "appsettings" directory when it exists, else (Linux) the
// per-user configuration folder when the program folder is not writable,
// else the program folder.
std::string SettingsFolder();
// SettingsFolder() + kSettingsFileName, whatever the running program's file
// is called: the command line and the window share it. Computed anew on
// every call.
std::string SettingsFileName();
// The path with one separator appended unless it already ends in one; an
// empty path stays empty.
std::string IncludeTrailingSeparator(std::string_view path);
// The folder of shared data files, resolved on the first call and cached:
// "shared.ini" in the program folder, its "common" folder, the machine-wide
// value, or the program folder. On Windows a machine-wide value that is not
// text raises TRunError("Invalid data type for 'CommonFiles'").
std::string CommonFolder();
// The machine-wide "CommonFiles" value, or "" when there is none.
std::string MachineCommonFiles();

// Typed access to the settings file (SettingsFileName()).
std::int32_t ReadIntSetting(std::string_view section, std::string_view key, std::int32_t def);
void WriteIntSetting(std::string_view section, std::string_view key, std::int32_t value);
std::string ReadStrSetting(std::string_view section, std::string_view key, std::string_view def);
void WriteStrSetting(std::string_view section, std::string_view key, std::string_view value);
bool ReadBoolSetting(std::string_view section, std::string_view key, bool def);
void WriteBoolSetting(std::string_view section, std::string_view key, bool value);

// The same on an explicitly named profile file. Writes raise
// TRunError("Unable to write to " + file) when refused.
std::int32_t ReadIntSetting(const std::string& file, std::string_view section, std::string_view key,
                            std::int32_t def);
void WriteIntSetting(const std::string& file, std::string_view section, std::string_view key,
                     std::int32_t value);
std::string ReadStrSetting(const std::string& file, std::string_view section, std::string_view key,
                           std::string_view def);
void WriteStrSetting(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view value);
bool ReadBoolSetting(const std::string& file, std::string_view section, std::string_view key,
                     bool def);
void WriteBoolSetting(const std::string& file, std::string_view section, std::string_view key,
                      bool value);
// Several integers of one section in a single replace of the file, in order.
void WriteIntSettings(const std::string& file, std::string_view section,
                      const std::vector<std::pair<std::string, std::int32_t>>& values);

// Test seams. An empty argument restores the real value.
// Makes ProgramPath() answer `path` from now on.
void SetProgramPathForTesting(std::string path);
void SetMachineConfigFileForTesting(std::string path);
// Forgets the cached common folder (also done when the program ends).
void ResetCommonFolder();

}  // namespace bq
