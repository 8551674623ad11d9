#include "samples/sample_pages.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "text/code_page.h"

namespace tevrin {
namespace {

using Values = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// Puts each value in place of its "{{key}}" in one pass, so a value is never searched again.
// The search walks GBK characters: a trail byte may be "{" and must not open a placeholder.
Text Fill(std::string_view page, Values values) {
  Text out;
  out.reserve(page.size());
  long long from = 1;
  for (;;) {
    const long long open = Find(page, "{{", from);
    const long long close = open == -1 ? -1 : Find(page, "}}", open + 2);
    if (close == -1) break;
    out.append(page.substr(from - 1, open - from));
    const std::string_view key = page.substr(open + 1, close - open - 2);
    const auto value = std::find_if(values.begin(), values.end(),
                                    [key](const auto& entry) { return entry.first == key; });
    out.append(value != values.end() ? value->second : page.substr(open - 1, close + 1 - open));
    from = close + 2;
  }
  out.append(page.substr(from - 1));
  return out;
}

// For text taken from a request; ASCII bytes below 0x40 are never GBK trail bytes.
Text EscapeHtml(std::string_view text) {
  Text out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

Text LatestTitle(const SampleBook& book) {
  return SampleChapterTitle(book, book.chapterCount);
}

// ---- Site 1 (GBK) ----

const Text& Site1SearchTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{{keyword}}_搜索结果_笔趣阁</title>
</head>
<body>
<div id="main">
<table class="grid" width="100%" align="center">
<caption>搜索结果</caption>
<tr>
  <th>文章名称</th><th>最新章节</th><th>作者</th><th>更新</th><th>状态</th>
</tr>
{{rows}}</table>
<p class="tip">{{tip}}</p>
</div>
</body>
</html>
)html");
  return page;
}

const Text& Site1SearchRowTemplate() {
  static const Text row =
      Gbk(u8R"html(<tr id="nr">
  <td class="odd"><a href="{{book}}">{{name}}</a></td>
  <td class="even"><a href="{{latestUrl}}" target="_blank">{{latest}}</a></td>
  <td class="odd">{{author}}</td>
  <td class="even" align="center">{{updated}}</td>
  <td class="odd" align="center">{{status}}</td>
</tr>
)html");
  return row;
}

const Text& Site1BookTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{{name}}最新章节列表_笔趣阁</title>
</head>
<body>
<div id="info">
<h1>{{name}}</h1>
<p>作&nbsp;&nbsp;&nbsp;&nbsp;者：{{author}}</p>
<p>状&nbsp;&nbsp;&nbsp;&nbsp;态：{{status}}</p>
<p>最后更新：{{updated}}</p>
</div>
<div id="list">
<dl>
<dt>《{{name}}》正文</dt>
{{chapters}}</dl>
</div>
</body>
</html>
)html");
  return page;
}

const Text& Site1ChapterTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{{title}}_{{name}}_笔趣阁</title>
</head>
<body>
<div class="content_read">
<div class="bookname">
<h1>{{title}}</h1>
<div class="bottem1">
<a href="javascript:;" onclick="vote();">投推荐票</a> <a href="{{prev}}">上一章</a> &larr; <a href="{{book}}">章节目录</a> &rarr; <a href="{{next}}">下一章</a> <a href="javascript:;" onclick="addBookCase();">加入书签</a>
</div>
</div>
<div id="content"><p>{{content}}</div>
<div class="bottem2">
<a href="{{prev}}">上一章</a> &larr; <a href="{{book}}">章节列表</a> &rarr; <a href="{{next}}">下一章</a>
</div>
</div>
</body>
</html>
)html");
  return page;
}

// ---- Site 2 (rendered as GBK, served as UTF-8) ----

const Text& Site2SearchTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{{keyword}} - 搜索结果 - 顶点网</title>
</head>
<body>
<div class="search-list">
{{items}}</div>
<div class="pages">第{{page}}页 {{tip}}</div>
</body>
</html>
)html");
  return page;
}

// The site highlights the whole title in red and the keyword inside it, so the title cell
// carries markup that the search job has to strip.
const Text& Site2SearchItemTemplate() {
  static const Text item =
      Gbk(u8R"html(<div class="result-item">
<h3><a href="{{book}}" target="_blank"><span style="color:red;">{{title}}</span></a></h3>
<p>作者：<i>{{author}}</i></p>
<p>状态：<i>{{status}}</i></p>
<p>最新章节：<a href="{{latestUrl}}" target="_blank">{{latest}}</a></p>
<p>更新时间：<i>{{updated}}</i></p>
</div>
)html");
  return item;
}

const Text& Site2BookTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{{name}}_{{author}}_顶点网</title>
</head>
<body>
<div id="bookinfo">
<h1>{{name}}</h1>
<p>作者：{{author}}</p>
<p>状态：{{status}}</p>
<p>最后更新：{{updated}}</p>
<p>最新章节：<a href="{{latestUrl}}">{{latest}}</a></p>
<div class="btns"><a class="b-orange" href="{{index}}">全文阅读</a> <a class="b-gray" href="javascript:;">加入书架</a></div>
</div>
</body>
</html>
)html");
  return page;
}

const Text& Site2FullIndexTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{{name}}最新章节_{{name}}无弹窗广告_顶点网</title>
</head>
<body>
<div class="tip">《{{name}}》无弹窗广告，顶点网提供全文在线阅读。</div>
<dl class="chapterlist">
<dt>《{{name}}》最新章节</dt>
{{latest}}<dt>《{{name}}》无弹窗广告 正文</dt>
{{chapters}}</dl>
</body>
</html>
)html");
  return page;
}

// The site writes its own address as the text of the bookmark and index links, right before
// the previous and next links, and drops the blank inside its next-page tag.
const Text& Site2ChapterTemplate() {
  static const Text page =
      Gbk(u8R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{{title}}_{{name}}_顶点网</title>
</head>
<body>
<div class="book_title"><h1>{{title}}</h1></div>
<div class="link xb"><a href="javascript:addBookMark();">{{origin}}加入书签</a><a href="{{prev}}">上一页</a>&larr;<a href="{{index}}">{{origin}}</a>&rarr;<ahref="{{next}}">下一页</a></div>
<div id="BookText">{{content}}</div>
<div class="link xb"><a href="{{prev}}">上一页</a> | <a href="{{index}}">目录</a> | <a href="{{next}}">下一页</a></div>
</body>
</html>
)html");
  return page;
}

const Text& Site2IndexRowTemplate() {
  static const Text row =
      Gbk(u8R"html(<dd><a href="{{path}}" title="{{title}}">{{title}}</a></dd>
)html");
  return row;
}

std::string NeighbourPath(const SampleBook& book, int number) {
  if (number < 1 || number > book.chapterCount) return SampleBookPath(book.id);
  return SampleChapterPath(book.id, number);
}

}  // namespace

std::string SampleBookPath(int bookId) {
  return "/book/" + std::to_string(bookId) + "/";
}

std::string SampleChapterPath(int bookId, int number) {
  return SampleBookPath(bookId) + std::to_string(number) + ".html";
}

std::string Site2FullIndexPath(int bookId) {
  return SampleBookPath(bookId) + "all.html";
}

Bytes Site1SearchPage(std::string_view origin, std::string_view keyword) {
  static const Text nothing = Gbk(u8"没有找到相关的小说，请换个关键词再试。");
  Text rows;
  const auto books = SampleBooksNamed(keyword);
  for (const SampleBook* book : books) {
    const std::string bookUrl = std::string(origin) + SampleBookPath(book->id);
    const std::string latestUrl =
        std::string(origin) + SampleChapterPath(book->id, book->chapterCount);
    rows += Fill(Site1SearchRowTemplate(), {{"book", bookUrl},
                                            {"name", book->name},
                                            {"latestUrl", latestUrl},
                                            {"latest", LatestTitle(*book)},
                                            {"author", book->author},
                                            {"updated", book->updated},
                                            {"status", book->status}});
  }
  return Fill(
      Site1SearchTemplate(),
      {{"keyword", EscapeHtml(keyword)}, {"rows", rows}, {"tip", books.empty() ? nothing : ""}});
}

Bytes Site1BookPage(std::string_view origin, const SampleBook& book) {
  Text chapters;
  chapters.reserve(static_cast<std::size_t>(book.chapterCount) * 72);
  for (int n = 1; n <= book.chapterCount; ++n) {
    chapters += "<dd><a href=\"";
    chapters += origin;
    chapters += SampleChapterPath(book.id, n);
    chapters += "\">";
    chapters += SampleChapterTitle(book, n);
    chapters += "</a></dd>\n";
  }
  return Fill(Site1BookTemplate(), {{"name", book.name},
                                    {"author", book.author},
                                    {"status", book.status},
                                    {"updated", book.updated},
                                    {"chapters", chapters}});
}

Text Site1ChapterContent(const SampleBook& book, int number) {
  Text content;
  const TextList paragraphs = SampleChapterParagraphs(book, number);
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) content += "<p>";
    content += paragraphs[i];
    content += "</p>";
  }
  return content;
}

Bytes Site1ChapterPage(std::string_view origin, const SampleBook& book, int number) {
  const std::string site(origin);
  return Fill(Site1ChapterTemplate(), {{"title", SampleChapterTitle(book, number)},
                                       {"name", book.name},
                                       {"prev", site + NeighbourPath(book, number - 1)},
                                       {"next", site + NeighbourPath(book, number + 1)},
                                       {"book", site + SampleBookPath(book.id)},
                                       {"content", Site1ChapterContent(book, number)}});
}

Bytes Site2SearchPage(std::string_view keyword, int page) {
  static const Text nothing = Gbk(u8"没有找到相关的小说。");
  static const Text more = Gbk(u8"下一页还有更多结果");
  const auto books = SampleBooksNamed(keyword);
  const long long first = (static_cast<long long>(std::max(page, 1)) - 1) * kSite2ResultsPerPage;
  const long long last = std::min<long long>(first + kSite2ResultsPerPage, books.size());
  const Text highlighted = "<em>" + EscapeHtml(keyword) + "</em>";
  Text items;
  for (long long i = first; i < last; ++i) {
    const SampleBook& book = *books[static_cast<std::size_t>(i)];
    items += Fill(Site2SearchItemTemplate(),
                  {{"book", SampleBookPath(book.id)},
                   {"title", ReplaceAll(book.name, keyword, highlighted)},
                   {"author", book.author},
                   {"status", book.status},
                   {"latestUrl", SampleChapterPath(book.id, book.chapterCount)},
                   {"latest", LatestTitle(book)},
                   {"updated", book.updated}});
  }
  const Text tip =
      first >= last ? nothing : (last < static_cast<long long>(books.size()) ? more : "");
  return GbkToUtf8(Fill(Site2SearchTemplate(), {{"keyword", EscapeHtml(keyword)},
                                                {"items", items},
                                                {"page", std::to_string(std::max(page, 1))},
                                                {"tip", tip}}));
}

Bytes Site2BookPage(std::string_view origin, const SampleBook& book) {
  return GbkToUtf8(
      Fill(Site2BookTemplate(), {{"name", book.name},
                                 {"author", book.author},
                                 {"status", book.status},
                                 {"updated", book.updated},
                                 {"latestUrl", SampleChapterPath(book.id, book.chapterCount)},
                                 {"latest", LatestTitle(book)},
                                 {"index", std::string(origin) + Site2FullIndexPath(book.id)}}));
}

Bytes Site2FullIndexPage(const SampleBook& book) {
  const auto row = [&book](int n) {
    const Text title = SampleChapterTitle(book, n);
    return Fill(Site2IndexRowTemplate(),
                {{"path", SampleChapterPath(book.id, n)}, {"title", title}});
  };
  Text latest;
  for (int n = book.chapterCount; n >= 1 && n > book.chapterCount - 3; --n) latest += row(n);
  Text chapters;
  chapters.reserve(static_cast<std::size_t>(book.chapterCount) * 80);
  for (int n = 1; n <= book.chapterCount; ++n) chapters += row(n);
  return GbkToUtf8(Fill(Site2FullIndexTemplate(),
                        {{"name", book.name}, {"latest", latest}, {"chapters", chapters}}));
}

Text Site2ChapterContent(const SampleBook& book, int number) {
  // Entities in three letter cases, line-break tags with and without the blank before the
  // slash, and line feeds of the page source between them.
  static constexpr std::string_view kIndents[] = {
      "&nbsp;&nbsp;&nbsp;&nbsp;", "&NBSP;&NBSP;&NBSP;&NBSP;", "&Nbsp;&nbsp;&nbsp;&nbsp;"};
  Text content;
  const TextList paragraphs = SampleChapterParagraphs(book, number);
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) content += i % 2 == 1 ? "<br />\n<br />\n" : "<br/>\n<br/>\n";
    content += kIndents[i % 3];
    content += paragraphs[i];
  }
  return content;
}

Bytes Site2ChapterPage(std::string_view origin, const SampleBook& book, int number) {
  return GbkToUtf8(Fill(Site2ChapterTemplate(), {{"title", SampleChapterTitle(book, number)},
                                                 {"name", book.name},
                                                 {"origin", origin},
                                                 {"prev", NeighbourPath(book, number - 1)},
                                                 {"next", NeighbourPath(book, number + 1)},
                                                 {"index", Site2FullIndexPath(book.id)},
                                                 {"content", Site2ChapterContent(book, number)}}));
}

}  // namespace tevrin
