#include "samples/sample_sites.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "samples/catalogue.h"
#include "samples/sample_pages.h"
#include "text/code_page.h"

namespace tevrin {
namespace {

using Request = LoopbackHttpsServer::Request;
using Response = LoopbackHttpsServer::Response;

int SiteNumber(int site) {
  return site == 1 ? 1 : 2;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Form decoding: "%XX" becomes its byte and "+" a blank; a "%" without two hex digits stays.
std::string PercentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
               HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The decoded value of the first `name` in the query; empty when it is missing.
std::string QueryValue(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t end = query.find('&');
    const std::string_view pair = query.substr(0, end);
    const std::size_t equals = pair.find('=');
    if (pair.substr(0, equals) == name && equals != std::string_view::npos) {
      return PercentDecode(pair.substr(equals + 1));
    }
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return {};
}

// A positive decimal number that is the whole of `text`.
std::optional<int> WholeNumber(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < 1) return std::nullopt;
  return number;
}

// "/book/ID/REST" taken apart; the book must exist.
struct BookTarget {
  const SampleBook* book = nullptr;
  std::string_view rest;
};

std::optional<BookTarget> ParseBookPath(std::string_view path) {
  constexpr std::string_view prefix = "/book/";
  if (path.substr(0, prefix.size()) != prefix) return std::nullopt;
  path.remove_prefix(prefix.size());
  const std::size_t slash = path.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::optional<int> id = WholeNumber(path.substr(0, slash));
  const SampleBook* book = id ? FindSampleBook(*id) : nullptr;
  if (book == nullptr) return std::nullopt;
  return BookTarget{book, path.substr(slash + 1)};
}

// The chapter number of "N.html" when the book has that chapter.
std::optional<int> ChapterNumber(const SampleBook& book, std::string_view rest) {
  constexpr std::string_view suffix = ".html";
  if (rest.size() <= suffix.size() || rest.substr(rest.size() - suffix.size()) != suffix) {
    return std::nullopt;
  }
  const std::optional<int> number = WholeNumber(rest.substr(0, rest.size() - suffix.size()));
  if (!number || *number > book.chapterCount) return std::nullopt;
  return number;
}

Response NotFound() {
  return Response{404, "text/html", "<html><body><h2>404 Not Found</h2></body></html>\n", {}};
}

Response Site1Page(Bytes body) {
  return Response{200, "text/html; charset=gbk", std::move(body), {}};
}

Response Site2Page(Bytes body) {
  return Response{200, "text/html; charset=utf-8", std::move(body), {}};
}

Response ServeSite1(const Request& request) {
  if (request.path == "/modules/article/search.php") {
    return Site1Page(
        Site1SearchPage(request.origin, Utf8ToGbk(QueryValue(request.query, "searchkey"))));
  }
  const std::optional<BookTarget> target = ParseBookPath(request.path);
  if (!target) return NotFound();
  if (target->rest.empty()) return Site1Page(Site1BookPage(request.origin, *target->book));
  if (const auto number = ChapterNumber(*target->book, target->rest)) {
    return Site1Page(Site1ChapterPage(request.origin, *target->book, *number));
  }
  return NotFound();
}

Response ServeSite2(const Request& request) {
  if (request.path == "/search.html") {
    const int page = WholeNumber(QueryValue(request.query, "page")).value_or(1);
    return Site2Page(Site2SearchPage(Utf8ToGbk(QueryValue(request.query, "keyword")), page));
  }
  const std::optional<BookTarget> target = ParseBookPath(request.path);
  if (!target) return NotFound();
  if (target->rest.empty()) return Site2Page(Site2BookPage(request.origin, *target->book));
  if (target->rest == "all.html") return Site2Page(Site2FullIndexPage(*target->book));
  if (const auto number = ChapterNumber(*target->book, target->rest)) {
    return Site2Page(Site2ChapterPage(request.origin, *target->book, *number));
  }
  return NotFound();
}

}  // namespace

SampleSites::SampleSites(LoopbackHttpsServer::Scheme scheme)
    : site1_([this](const Request& request) { return Serve(1, request); }, scheme),
      site2_([this](const Request& request) { return Serve(2, request); }, scheme) {}

bool SampleSites::Running() const {
  return site1_.Running() && site2_.Running();
}

std::string SampleSites::site1Origin() const {
  return site1_.origin();
}

std::string SampleSites::site2Origin() const {
  return site2_.origin();
}

std::vector<std::string> SampleSites::Requests(int site) const {
  return SiteNumber(site) == 1 ? site1_.Requests() : site2_.Requests();
}

void SampleSites::ClearRequests() {
  site1_.ClearRequests();
  site2_.ClearRequests();
}

void SampleSites::Override(int site, const std::string& target, Response response) {
  std::lock_guard lock(mutex_);
  overrides_[{SiteNumber(site), target}] = std::move(response);
}

void SampleSites::ClearOverrides() {
  std::lock_guard lock(mutex_);
  overrides_.clear();
}

Response SampleSites::Serve(int site, const Request& request) const {
  {
    std::lock_guard lock(mutex_);
    const auto found = overrides_.find({site, request.target});
    if (found != overrides_.end()) return found->second;
  }
  return site == 1 ? ServeSite1(request) : ServeSite2(request);
}

}  // namespace tevrin
