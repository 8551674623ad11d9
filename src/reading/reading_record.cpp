#include "reading/reading_record.h"

#include "reading/ini_file.h"
#include "text/code_page.h"

namespace tevrin {

std::string ReadingRecordPath(const std::string& runDirectory) {
  return runDirectory + reinterpret_cast<const char*>(u8"/配置.ini");
}

void WriteReadingRecord(const std::string& runDirectory, const Text& chapterUrl, int site,
                        const Text& title) {
  static const Text section = Gbk(u8"阅读记录");
  static const Text urlKey = Gbk(u8"文章记录");
  static const Text siteKey = Gbk(u8"来源");
  static const Text titleKey = Gbk(u8"章节名称");
  static const Text site1Name = Gbk(u8"笔趣阁");
  static const Text site2Name = Gbk(u8"顶点网");
  const std::string path = ReadingRecordPath(runDirectory);
  // One write per key; a key that fails does not keep the others from being written.
  WriteProfileString(path, section, urlKey, chapterUrl);
  WriteProfileString(path, section, siteKey, site == 1 ? site1Name : site2Name);
  WriteProfileString(path, section, titleKey, title);
}

}  // namespace tevrin
