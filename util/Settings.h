// setting.ini, section "Setting": "Code" beside the executable, "LCN_FLAG" in the current
// directory. Missing files and keys read as the default "***".
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
// The text code: "Code" of the executable's setting.ini converted as leading digits (else 0).
int ReadTextCodeSetting();
int ReadTextCodeSetting(const std::string& directory);
// "LCN_FLAG" of setting.ini in the current directory.
std::string ReadLcnFlag();
bool WriteLcnFlag(const std::string& value);
// Only the exact value "14bit" selects 14-bit logical channel numbers.
inline bool IsLcn14Bit(const std::string& lcnFlag) { return lcnFlag == "14bit"; }

}  // namespace quorvelin
