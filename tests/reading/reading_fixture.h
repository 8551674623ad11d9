#pragma once

// The window, state and sample sites the reading tests share: a headless window whose run
// directory is a fresh temporary folder, and a reader whose origins are the sample sites'.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/event_table.h"
#include "app/headless_toolkit.h"
#include "app/reader.h"
#include "app/reader_state.h"
#include "reading/reading_record.h"
#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "samples/sample_sites.h"
#include "support/scratch_directory.h"
#include "text/code_page.h"
#include "web/curl_http_service.h"

namespace tevrin {

inline const Text& FailureText() {
  static const Text text = Gbk(u8"未获取到对应资源，请检查您的网络配置是否正常！！！");
  return text;
}

inline const Text& FailureTitle() {
  static const Text title = Gbk(u8"Keldan小说-温馨提醒：");
  return title;
}

/// The three keys of the reading record as the file holds them after a first write.
inline std::string RecordFile(const Text& url, int site, const Text& title) {
  return Gbk(u8"[阅读记录]\r\n文章记录=") + url + "\r\n" +
         Gbk(site == 1 ? u8"来源=笔趣阁\r\n" : u8"来源=顶点网\r\n") + Gbk(u8"章节名称=") + title +
         "\r\n";
}

/// A page a sample site serves in place of its own.
inline SampleSites::Response Page(std::string body) {
  SampleSites::Response response;
  response.body = std::move(body);
  return response;
}

class ReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sites_.Running());
    ASSERT_FALSE(directory_.empty());
    toolkit_.SetRunDirectory(directory_);
  }

  // Jobs still writing the record must be done before the directory goes.
  void TearDown() override { toolkit_.WaitForJobs(); }

  std::string Origin(int site) const {
    return site == 1 ? sites_.site1Origin() : sites_.site2Origin();
  }

  /// Lists `book` in 超级列表框1 as a search of `site` does (name, address), selects it and
  /// makes `site` the site code.
  void ChooseBook(int site, const SampleBook& book) {
    state_.setSite(site);
    const int row = toolkit_.InsertRow(Control::超级列表框1, book.name);
    toolkit_.SetCell(Control::超级列表框1, row, 5, Origin(site) + SampleBookPath(book.id));
    toolkit_.SelectRow(Control::超级列表框1, row);
  }

  void Fire(Control control, Event event) {
    FireEvent(reader_, control, event);
    toolkit_.WaitForJobs();
  }

  /// Double-clicks the selected book and waits for its contents.
  void OpenContents() { Fire(Control::超级列表框1, Event::DoubleClicked); }

  /// Double-clicks chapter `number` (from 1) of the listed contents and waits for it.
  void OpenChapter(int number) {
    toolkit_.SelectRow(Control::超级列表框2, number - 1);
    Fire(Control::超级列表框2, Event::DoubleClicked);
  }

  std::string Record() const {
    std::ifstream in(ReadingRecordPath(directory_), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  Text Title() const { return toolkit_.Label(Control::透明标签_章节名称); }
  Text ChapterText() const { return toolkit_.Label(Control::编辑框1); }

  ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
  SampleSites sites_;
  CurlHttpService http_;
  ReaderState state_;
  HeadlessToolkit toolkit_;
  Reader reader_{toolkit_, state_, http_, sites_.site1Origin(), sites_.site2Origin()};
};

}  // namespace tevrin
