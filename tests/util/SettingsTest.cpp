#include "util/Settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quorvelin {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string name = (fs::temp_directory_path() / "quorvelin-settings-XXXXXX").string();
    if (::mkdtemp(name.data())) path_ = name;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
  ~CurrentDirectory() {
    std::error_code ec;
    fs::current_path(saved_, ec);
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  fs::path saved_;
};

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
  TempDir dir;
};

TEST_F(Settings, ReadsLikeAPrivateProfile) {
  const std::string ini = dir.File("setting.ini");
  EXPECT_EQ(ReadProfileString(ini, "Setting", "Code", "***"), "***");  // no file
  WriteFile(ini,
            "; comment\r\n"
            "[ setting ]\r\n"
            ";Code=7\r\n"
            "  CODE =  10  \r\n"
            "Code=11\r\n"
            "Quoted=\"a b\"\r\n"
            "Empty=\r\n"
            "[Setting]\r\n"
            "Late=1\r\n");
  EXPECT_EQ(ReadProfileString(ini, "Setting", "code", "***"), "10");
  EXPECT_EQ(ReadProfileString(ini, "SETTING", "quoted", "***"), "a b");
  EXPECT_EQ(ReadProfileString(ini, "Setting", "Empty", "***"), "");
  EXPECT_EQ(ReadProfileString(ini, "Setting", "Late", "***"), "***");  // only the first section counts
  EXPECT_EQ(ReadProfileString(ini, "Missing", "Code", "d"), "d");
}

TEST_F(Settings, WritingCreatesFileSectionAndKey) {
  const std::string ini = dir.File("new.ini");
  ASSERT_TRUE(WriteProfileString(ini, "Setting", "LCN_FLAG", "14bit"));
  EXPECT_EQ(ReadFile(ini), "[Setting]\nLCN_FLAG=14bit\n");
  ASSERT_TRUE(WriteProfileString(ini, "Setting", "Code", "3"));
  ASSERT_TRUE(WriteProfileString(ini, "Other", "A", "1"));
  EXPECT_EQ(ReadFile(ini), "[Setting]\nLCN_FLAG=14bit\nCode=3\n[Other]\nA=1\n");
  EXPECT_FALSE(WriteProfileString(dir.File("none/setting.ini"), "Setting", "Code", "1"));
}

TEST_F(Settings, WritingKeepsEverythingElse) {
  const std::string ini = dir.File("setting.ini");
  WriteFile(ini,
            "; head-end\r\n"
            "[SETTING]\r\n"
            "code=10\r\n"
            "lcn_flag = 10bit\r\n"
            "\r\n"
            "[Next]\r\n"
            "X=y\r\n");
  ASSERT_TRUE(WriteProfileString(ini, "Setting", "LCN_FLAG", "14bit"));
  ASSERT_TRUE(WriteProfileString(ini, "Setting", "New", "v"));
  EXPECT_EQ(ReadFile(ini),
            "; head-end\r\n"
            "[SETTING]\r\n"
            "code=10\r\n"
            "lcn_flag=14bit\r\n"
            "New=v\r\n"
            "\r\n"
            "[Next]\r\n"
            "X=y\r\n");
  EXPECT_FALSE(WriteProfileString(ini, "Setting", "Bad", "two\nlines"));
  EXPECT_EQ(ReadProfileString(ini, "Setting", "Bad", "***"), "***");
}

TEST_F(Settings, TextCodeIsTheLeadingNumberOfCode) {
  EXPECT_EQ(ReadTextCodeSetting(dir.path()), 0);  // no file
  const std::string ini = dir.File("setting.ini");
  const struct {
    const char* value;
    int code;
  } cases[] = {{"10", 10}, {"3", 3}, {"***", 0}, {"abc", 0}, {"4th", 4}, {"", 0}};
  for (const auto& c : cases) {
    WriteFile(ini, std::string("[Setting]\nCode=") + c.value + "\n");
    EXPECT_EQ(ReadTextCodeSetting(dir.path()), c.code) << c.value;
  }
  WriteFile(ini, "[Setting]\n");
  EXPECT_EQ(ReadTextCodeSetting(dir.path()), 0);
}

TEST_F(Settings, LcnFlagLivesInTheCurrentDirectory) {
  CurrentDirectory here(dir.path());
  EXPECT_EQ(ReadLcnFlag(), "***");
  EXPECT_FALSE(IsLcn14Bit(ReadLcnFlag()));
  ASSERT_TRUE(WriteLcnFlag("14bit"));
  EXPECT_EQ(ReadLcnFlag(), "14bit");
  EXPECT_TRUE(IsLcn14Bit(ReadLcnFlag()));
  EXPECT_EQ(ReadProfileString(dir.File("setting.ini"), "Setting", "LCN_FLAG", ""), "14bit");
  EXPECT_FALSE(IsLcn14Bit("14BIT"));
}

TEST(ExecutableDirectoryTest, HoldsTheRunningTest) {
  const std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(fs::exists(dir + "/test_util"));
}

}  // namespace
}  // namespace quorvelin
