#include "reading/reading_record.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch_directory.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

class ReadingRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  std::string Record() const {
    std::ifstream in(ReadingRecordPath(directory_), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
};

TEST_F(ReadingRecordTest, FileNameIsUtf8InTheRunDirectory) {
  EXPECT_EQ(ReadingRecordPath("/opt/x"), "/opt/x/\xE9\x85\x8D\xE7\xBD\xAE.ini");
}

TEST_F(ReadingRecordTest, WritesTheThreeKeysInGbkAndKeepsOnlyTheLastChapter) {
  WriteReadingRecord(directory_, "https://one.example/b/1.html", 1, Gbk(u8"第一章"));
  EXPECT_EQ(Record(), Gbk(u8"[阅读记录]\r\n文章记录=https://one.example/b/1.html\r\n来源=笔趣阁\r\n"
                          u8"章节名称=第一章\r\n"));
  WriteReadingRecord(directory_, "https://two.example/b/2.html", 2, "");
  EXPECT_EQ(Record(), Gbk(u8"[阅读记录]\r\n文章记录=https://two.example/b/2.html\r\n来源=顶点网\r\n"
                          u8"章节名称=\r\n"));
}

TEST_F(ReadingRecordTest, KeepsWhatElseTheFileHoldsByteForByte) {
  const std::string other = Gbk(u8"; 我的设置\n[窗口]\r\n宽=911\n\n");
  std::ofstream(ReadingRecordPath(directory_), std::ios::binary)
      << other << Gbk(u8"[阅读记录]\r\n文章记录=旧\r\n备注=留着\r\n");
  WriteReadingRecord(directory_, "u", 1, "t");
  EXPECT_EQ(Record(), other + Gbk(u8"[阅读记录]\r\n文章记录=u\r\n备注=留着\r\n来源=笔趣阁\r\n"
                                  u8"章节名称=t\r\n"));
}

TEST_F(ReadingRecordTest, ATitleWithLineBreaksStaysOnOneLine) {
  WriteReadingRecord(directory_, "u", 1, Gbk(u8"终章\r\n[阅读记录]\n文章记录=假"));
  EXPECT_EQ(Record(), Gbk(u8"[阅读记录]\r\n文章记录=u\r\n来源=笔趣阁\r\n"
                          u8"章节名称=终章[阅读记录]文章记录=假\r\n"));
}

TEST_F(ReadingRecordTest, ARecordThatCannotBeWrittenIsSkipped) {
  const std::string file = directory_ + "/not-a-directory";
  std::ofstream(file) << "x";
  WriteReadingRecord(file, "u", 1, "t");
  WriteReadingRecord(directory_ + "/missing", "u", 1, "t");
  EXPECT_FALSE(std::filesystem::exists(directory_ + "/missing"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory_), {}), 1);
}

}  // namespace
}  // namespace tevrin
