// setting.ini, section "Setting": "Code" beside the executable (else in the user's config
// folder), "LCN_FLAG" in the user's config folder. Missing files and keys read as the default "***".
#pragma once

#include <string>

namespace quorvelin {

inline constexpr const char* kSettingsFile = "setting.ini";
inline constexpr const char* kSettingsSection = "Setting";
inline constexpr const char* kSettingDefault = "***";

// Private-profile style access to one INI file.
std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& fallback);
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

std::string ExecutableDirectory();  // from /proc/self/exe
// This program's folder under the user's XDG base directories: $XDG_CONFIG_HOME/quorvelin (by
// default ~/.config/quorvelin) and $XDG_CACHE_HOME/quorvelin (~/.cache/quorvelin). A variable
// that is not an absolute path counts as unset; empty when no home directory is known either.
std::string UserConfigDirectory();
std::string UserCacheDirectory();
// The text code: "Code" of setting.ini beside the executable, or when that holds none, of the
// user's config folder, converted as leading digits (else 0).
int ReadTextCodeSetting();
int ReadTextCodeSetting(const std::string& executableDirectory);
// "LCN_FLAG" of setting.ini in the user's config folder; the write creates the folder.
std::string ReadLcnFlag();
bool WriteLcnFlag(const std::string& value);
// Only the exact value "14bit" selects 14-bit logical channel numbers.
inline bool IsLcn14Bit(const std::string& lcnFlag) { return lcnFlag == "14bit"; }

}  // namespace quorvelin
