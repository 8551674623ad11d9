#pragma once

// The reading record: which chapter was last opened from the chapter list, kept in 配置.ini in
// the program's directory. It is only written; nothing reads it back.

#include <string>

#include "text/text.h"

namespace tevrin {

/// `runDirectory` followed by "/配置.ini" (the file name in UTF-8, as people see it).
std::string ReadingRecordPath(const std::string& runDirectory);

/// Writes 文章记录 = `chapterUrl`, 来源 = the site's name (笔趣阁 for site 1, 顶点网 for any other
/// code) and 章节名称 = `title` into section 阅读记录, one key at a time, in that order. A key that
/// cannot be written is skipped silently. Callers serialise calls for one directory.
void WriteReadingRecord(const std::string& runDirectory, const Text& chapterUrl, int site,
                        const Text& title);

}  // namespace tevrin
