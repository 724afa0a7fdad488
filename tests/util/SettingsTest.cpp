#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TempDir.h"
#include "util/Settings.h"

namespace quorvelin {
namespace {

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

TEST(Settings, ReadsLikeAPrivateProfile) {
  testing::TempDir dir;
  EXPECT_EQ(ReadProfileString("setting.ini", "Setting", "Code", "***"), "***");  // no file
  WriteFile("setting.ini",
            "; comment\r\n[ setting ]\r\n;Code=7\r\n  CODE =  10  \r\nCode=11\r\nQuoted=\"a b\"\r\n"
            "Empty=\r\n[Setting]\r\nLate=1\r\n");
  const struct {
    const char *section, *key, *value;
  } reads[] = {{"Setting", "code", "10"},
               {"SETTING", "quoted", "a b"},
               {"Setting", "Empty", ""},
               {"Setting", "Late", "***"},  // only the first section counts
               {"Missing", "Code", "***"}};
  for (const auto& r : reads) EXPECT_EQ(ReadProfileString("setting.ini", r.section, r.key, "***"), r.value) << r.key;
}

TEST(Settings, WritingMakesFileSectionAndKeyAndKeepsEverythingElse) {
  testing::TempDir dir;
  ASSERT_TRUE(WriteProfileString("new.ini", "Setting", "LCN_FLAG", "14bit"));
  ASSERT_TRUE(WriteProfileString("new.ini", "Setting", "Code", "3"));
  ASSERT_TRUE(WriteProfileString("new.ini", "Other", "A", "1"));
  EXPECT_EQ(ReadFile("new.ini"), "[Setting]\nLCN_FLAG=14bit\nCode=3\n[Other]\nA=1\n");
  EXPECT_FALSE(WriteProfileString("none/setting.ini", "Setting", "Code", "1"));

  WriteFile("setting.ini", "; head-end\r\n[SETTING]\r\ncode=10\r\nlcn_flag = 10bit\r\n\r\n[Next]\r\nX=y\r\n");
  ASSERT_TRUE(WriteProfileString("setting.ini", "Setting", "LCN_FLAG", "14bit"));
  ASSERT_TRUE(WriteProfileString("setting.ini", "Setting", "New", "v"));
  EXPECT_EQ(ReadFile("setting.ini"),
            "; head-end\r\n[SETTING]\r\ncode=10\r\nlcn_flag=14bit\r\nNew=v\r\n\r\n[Next]\r\nX=y\r\n");
  EXPECT_FALSE(WriteProfileString("setting.ini", "Setting", "Bad", "two\nlines"));
  EXPECT_EQ(ReadProfileString("setting.ini", "Setting", "Bad", "***"), "***");
}

TEST(Settings, TextCodeIsTheLeadingNumberOfCodeBesideTheExecutableElseInTheUserConfig) {
  testing::TempDir dir;
  EXPECT_EQ(ReadTextCodeSetting(dir.Path()), 0);  // no file
  for (const auto& [value, code] :
       {std::pair{"10", 10}, {"3", 3}, {"***", 0}, {"abc", 0}, {"4th", 4}, {"", 0}, {nullptr, 0}}) {
    WriteFile("setting.ini", value ? std::string("[Setting]\nCode=") + value + "\n" : "[Setting]\n");
    EXPECT_EQ(ReadTextCodeSetting(dir.Path()), code) << (value ? value : "no key");
  }
  std::filesystem::create_directories("config/quorvelin");
  WriteFile("config/quorvelin/setting.ini", "[Setting]\nCode=7\n");
  EXPECT_EQ(ReadTextCodeSetting(dir.Path()), 7);  // the executable's file holds no "Code"
  WriteFile("setting.ini", "[Setting]\nCode=2\n");
  EXPECT_EQ(ReadTextCodeSetting(dir.Path()), 2);
  EXPECT_TRUE(std::filesystem::exists(ExecutableDirectory() + "/test_util"));
}

TEST(Settings, TheLcnFlagAndTheCacheLiveInTheUserFoldersNeverInTheWorkingDirectory) {
  testing::TempDir dir;
  EXPECT_EQ(ReadLcnFlag(), "***");
  EXPECT_FALSE(IsLcn14Bit(ReadLcnFlag()));
  ASSERT_TRUE(WriteLcnFlag("14bit"));  // makes config/quorvelin
  EXPECT_TRUE(IsLcn14Bit(ReadLcnFlag()));
  EXPECT_EQ(ReadProfileString("config/quorvelin/setting.ini", "Setting", "LCN_FLAG", ""), "14bit");
  EXPECT_FALSE(std::filesystem::exists("setting.ini"));
  EXPECT_FALSE(IsLcn14Bit("14BIT"));
  // XDG base directories: an absolute variable, else the home directory's .config and .cache.
  const struct {
    const char *config, *cache, *expectConfig, *expectCache;  // "~" stands for HOME
  } rows[] = {{"/x/conf", "/x/cache", "/x/conf/quorvelin", "/x/cache/quorvelin"},
              {nullptr, nullptr, "~/.config/quorvelin", "~/.cache/quorvelin"},
              {"relative", "", "~/.config/quorvelin", "~/.cache/quorvelin"}};
  for (const auto& r : rows) {
    r.config ? ::setenv("XDG_CONFIG_HOME", r.config, 1) : ::unsetenv("XDG_CONFIG_HOME");
    r.cache ? ::setenv("XDG_CACHE_HOME", r.cache, 1) : ::unsetenv("XDG_CACHE_HOME");
    const auto expanded = [&](std::string s) { return s[0] == '~' ? dir.Path() + "/home" + s.substr(1) : s; };
    EXPECT_EQ(UserConfigDirectory(), expanded(r.expectConfig));
    EXPECT_EQ(UserCacheDirectory(), expanded(r.expectCache));
  }
}

}  // namespace
}  // namespace quorvelin
