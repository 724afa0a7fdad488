// Private-profile files: "[section]" headers and "key=value" lines, names compared without
// regard to case, the first match wins; lines starting with ';' are comments.
#include "util/Settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace quorvelin {
namespace {

constexpr const char* kCodeKey = "Code";
constexpr const char* kLcnFlagKey = "LCN_FLAG";

struct ProfileText {
  std::vector<std::string> lines;  // without line ends
  bool crlf = false;               // the file's own line end, kept when it is written back
};

std::string_view TrimBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<std::string_view> SectionOf(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  return TrimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct Entry {
  std::string_view key, value;
};

std::optional<Entry> EntryOf(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
  const size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string_view value = TrimBlanks(trimmed.substr(eq + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return Entry{TrimBlanks(trimmed.substr(0, eq)), value};
}

std::optional<ProfileText> LoadProfile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  ProfileText text;
  std::istringstream lines(content.str());
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      text.crlf = true;
    }
    text.lines.push_back(std::move(line));
  }
  return text;
}

// Lines [first, last) of the section's body; nullopt when the section is absent.
struct SectionSpan {
  size_t first, last;
};
std::optional<SectionSpan> FindSection(const ProfileText& text, std::string_view section) {
  for (size_t i = 0; i < text.lines.size(); ++i) {
    const auto name = SectionOf(text.lines[i]);
    if (!name || !SameName(*name, section)) continue;
    size_t end = i + 1;
    while (end < text.lines.size() && !SectionOf(text.lines[end])) ++end;
    return SectionSpan{i + 1, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const ProfileText& text, SectionSpan span, std::string_view key) {
  for (size_t i = span.first; i < span.last; ++i) {
    const auto entry = EntryOf(text.lines[i]);
    if (entry && SameName(entry->key, key)) return i;
  }
  return std::nullopt;
}

void PutEntry(ProfileText& text, const std::string& section, const std::string& key, const std::string& value) {
  const auto span = FindSection(text, section);
  if (!span) {
    text.lines.push_back("[" + section + "]");
    text.lines.push_back(key + "=" + value);
    return;
  }
  if (const auto at = FindKey(text, *span, key)) {
    const std::string existingKey(EntryOf(text.lines[*at])->key);
    text.lines[*at] = existingKey + "=" + value;
    return;
  }
  size_t insertAt = span->last;  // behind the section's last non-blank line
  while (insertAt > span->first && TrimBlanks(text.lines[insertAt - 1]).empty()) --insertAt;
  text.lines.insert(text.lines.begin() + static_cast<long>(insertAt), key + "=" + value);
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes the whole file beside the old one and renames it over, so a failed write loses nothing.
bool StoreProfile(const std::string& path, const ProfileText& text) {
  std::string data;
  for (const std::string& line : text.lines) data += line + (text.crlf ? "\r\n" : "\n");
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, data);
  const bool closed = ::close(fd) == 0;
  if (written && closed && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}

bool HoldsLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

std::string SettingsPathIn(const std::string& directory) { return directory + "/" + kSettingsFile; }

// An absolute path from the environment, else nothing.
std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeDirectory() {
  std::string home = AbsoluteVariable("HOME");
  if (!home.empty()) return home;
  std::vector<char> area(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, area.data(), area.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/')
    home = found->pw_dir;
  return home;
}

// <$variable or ~/homeRelative>/quorvelin, XDG base directory style.
std::string UserDirectory(const char* variable, const char* homeRelative) {
  std::string base = AbsoluteVariable(variable);
  if (base.empty()) {
    const std::string home = HomeDirectory();
    if (home.empty()) return home;
    base = home + "/" + homeRelative;
  }
  return base + "/quorvelin";
}

std::string UserSettingsPath() {
  const std::string dir = UserConfigDirectory();
  return dir.empty() ? dir : SettingsPathIn(dir);
}

// "Code" of the setting.ini at `path`; nothing when the file or the key is missing.
std::optional<std::string> CodeIn(const std::string& path) {
  constexpr const char* kAbsent = "\n";  // no value can hold a line break
  if (path.empty()) return std::nullopt;
  std::string value = ReadProfileString(path, kSettingsSection, kCodeKey, kAbsent);
  if (value == kAbsent) return std::nullopt;
  return value;
}

// Leading blanks, an optional sign and the digits that follow; no digits give 0.
int LeadingInteger(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& fallback) {
  const auto text = LoadProfile(path);
  if (!text) return fallback;
  const auto span = FindSection(*text, section);
  if (!span) return fallback;
  const auto at = FindKey(*text, *span, key);
  return at ? std::string(EntryOf(text->lines[*at])->value) : fallback;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  if (TrimBlanks(section).empty() || TrimBlanks(key).empty()) return false;
  if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) return false;
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  auto text = exists ? LoadProfile(path) : std::optional<ProfileText>(ProfileText{});
  if (!text) return false;  // present but unreadable: leave it alone
  PutEntry(*text, section, key, value);
  return StoreProfile(path, *text);
}

std::string ExecutableDirectory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

int ReadTextCodeSetting() { return ReadTextCodeSetting(ExecutableDirectory()); }

int ReadTextCodeSetting(const std::string& executableDirectory) {
  auto code = CodeIn(executableDirectory.empty() ? executableDirectory : SettingsPathIn(executableDirectory));
  if (!code) code = CodeIn(UserSettingsPath());
  return LeadingInteger(code.value_or(kSettingDefault));
}

std::string UserConfigDirectory() { return UserDirectory("XDG_CONFIG_HOME", ".config"); }
std::string UserCacheDirectory() { return UserDirectory("XDG_CACHE_HOME", ".cache"); }

std::string ReadLcnFlag() {
  const std::string path = UserSettingsPath();
  return path.empty() ? kSettingDefault : ReadProfileString(path, kSettingsSection, kLcnFlagKey, kSettingDefault);
}

bool WriteLcnFlag(const std::string& value) {
  const std::string dir = UserConfigDirectory();
  if (dir.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return WriteProfileString(SettingsPathIn(dir), kSettingsSection, kLcnFlagKey, value);
}

}  // namespace quorvelin
