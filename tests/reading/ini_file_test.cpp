#include "reading/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch_directory.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

struct Case {
  const char* name;
  std::u8string_view before;
  std::u8string_view section;
  std::u8string_view key;
  std::u8string_view value;
  std::u8string_view after;
};

TEST(SetProfileStringTest, ChangesOneKeyAndKeepsEveryOtherLine) {
  const Case cases[] = {
      {"empty file gets the section", u8"", u8"阅读记录", u8"文章记录", u8"v",
       u8"[阅读记录]\r\n文章记录=v\r\n"},
      {"new section at the end, after a last line without line end", u8"[其他]\r\na=1",
       u8"阅读记录", u8"来源", u8"v", u8"[其他]\r\na=1\r\n[阅读记录]\r\n来源=v\r\n"},
      {"existing key replaced in place; comments, LF-only lines and other sections kept",
       u8"; 手写的说明\n[阅读记录]\r\n文章记录=旧\r\n来源=笔趣阁\r\n\r\n[窗口]\nx = 1 \n",
       u8"阅读记录", u8"文章记录", u8"新",
       u8"; 手写的说明\n[阅读记录]\r\n文章记录=新\r\n来源=笔趣阁\r\n\r\n[窗口]\nx = 1 \n"},
      {"names match ignoring ASCII case and surrounding blanks; the file's spelling stays",
       u8"[ Record ]\r\n  Url\t= old \r\n", u8"record", u8"URL", u8"new",
       u8"[ Record ]\r\nUrl=new\r\n"},
      {"new key after the last line of its section, before blank lines and the next section",
       u8"[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", u8"s", u8"c", u8"3",
       u8"[s]\r\na=1\r\nc=3\r\n\r\n[t]\r\nb=2\r\n"},
      {"new key in a last section without line end", u8"[s]\r\na=1", u8"s", u8"c", u8"3",
       u8"[s]\r\na=1\r\nc=3\r\n"},
      {"only the first of two equal sections is used", u8"[s]\r\na=1\r\n[S]\r\na=2\r\n", u8"s",
       u8"a", u8"9", u8"[s]\r\na=9\r\n[S]\r\na=2\r\n"},
      {"the same key in another section is not touched", u8"[t]\r\na=1\r\n[s]\r\n", u8"s", u8"a",
       u8"2", u8"[t]\r\na=1\r\n[s]\r\na=2\r\n"},
      {"a commented-out key is not the key", u8"[s]\r\n;a=1\r\n", u8"s", u8"a", u8"2",
       u8"[s]\r\n;a=1\r\na=2\r\n"},
      {"CR and LF of a value are dropped, so it cannot start a section", u8"[s]\r\na=1\r\n", u8"s",
       u8"a", u8"x\r\n[t]\nb=2\r", u8"[s]\r\na=x[t]b=2\r\n"},
      {"a value with an equals sign and brackets is kept whole", u8"", u8"s", u8"a",
       u8"https://h/x?a=1&b=[2]", u8"[s]\r\na=https://h/x?a=1&b=[2]\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SetProfileString(Gbk(c.before), Gbk(c.section), Gbk(c.key), Gbk(c.value)),
              Gbk(c.after));
  }
}

TEST(SetProfileStringTest, BracketInsideADoubleByteCharacterIsNoSectionEnd) {
  // B5 5D is one GBK character whose second byte is "]": the first line opens no section
  // "[\xB5]", so the key below it is not that section's key.
  const Text before = "[\xB5\x5D\r\nk=1\r\n";
  EXPECT_EQ(SetProfileString(before, "\xB5", "k", "2"), before + "[\xB5]\r\nk=2\r\n");
  EXPECT_EQ(SetProfileString("[\xB5\x5D]\r\nk=1\r\n", "\xB5\x5D", "k", "2"),
            "[\xB5\x5D]\r\nk=2\r\n");
}

class WriteProfileStringTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  ScratchDirectory scratch_;
  std::filesystem::path directory_{scratch_.path()};
};

TEST_F(WriteProfileStringTest, CreatesThenUpdatesTheFileLeavingNoTemporaryBehind) {
  const std::string path = directory_ / "a.ini";
  ASSERT_TRUE(WriteProfileString(path, "s", "a", "1"));
  ASSERT_TRUE(WriteProfileString(path, "s", "b", "2"));
  ASSERT_TRUE(WriteProfileString(path, "s", "a", "3"));
  EXPECT_EQ(Read(path), "[s]\r\na=3\r\nb=2\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory_), {}), 1);
}

TEST_F(WriteProfileStringTest, KeepsThePermissionsOfAnExistingFile) {
  const std::string path = directory_ / "a.ini";
  std::ofstream(path, std::ios::binary) << "[s]\r\n";
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteProfileString(path, "s", "a", "1"));
  struct stat status {};
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(WriteProfileStringTest, FailsWithoutTouchingAnythingWhenTheFileCannotBeReplaced) {
  struct Failure {
    const char* name;
    std::filesystem::path path;
  };
  std::filesystem::create_directory(directory_ / "folder.ini");
  ASSERT_EQ(::mkfifo((directory_ / "fifo.ini").c_str(), 0600), 0);
  std::ofstream(directory_ / "file", std::ios::binary) << "x";
  const Failure failures[] = {
      {"directory missing", directory_ / "missing" / "a.ini"},
      {"the name is a directory", directory_ / "folder.ini"},
      {"the name is a FIFO nobody writes to", directory_ / "fifo.ini"},
      {"the directory is a file", directory_ / "file" / "a.ini"},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    EXPECT_FALSE(WriteProfileString(f.path, "s", "a", "1"));
  }
  EXPECT_EQ(Read(directory_ / "file"), "x");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory_), {}), 3);
}

}  // namespace
}  // namespace tevrin
