#include "web/request_headers.h"

#include "text/markers.h"

namespace tevrin {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr int kMethodPost = 1;

struct DefaultHeader {
  // Searched for anywhere in the block, letter case ignored; its trailing blank (where it has
  // one) is what lets a caller's "Name:value" line without a blank leave the default in place.
  std::string_view detection;
  std::string_view line;
  bool postOnly;
};

}  // namespace

Text ComposeRequestHeaders(const Text& requestHeaders, int method, const Text& cookies,
                           bool completeHeaders, bool normaliseHeaderNames) {
  static constexpr DefaultHeader kDefaults[] = {
      {"User-Agent: ",
       "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)", false},
      {"Accept: ", "Accept: text/html, application/xhtml+xml, */*", false},
      // Names character sets rather than content codings, so no compressed body is offered.
      {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312", false},
      {"Accept-Language: ", "Accept-Language: zh-cn", false},
      {"Content-Type:", "Content-Type: application/x-www-form-urlencoded", true},
      {"Cache-Control: ", "Cache-Control: no-cache", false},
  };

  Text block;
  if (!requestHeaders.empty()) {
    block = requestHeaders;
    block += kCrLf;
  }
  if (completeHeaders) {
    for (const DefaultHeader& row : kDefaults) {
      if (row.postOnly && method != kMethodPost) continue;
      if (Find(block, row.detection, 1, true) == -1) {
        block += row.line;
        block += kCrLf;
      }
    }
  }
  if (normaliseHeaderNames) block = CapitaliseHeaderNames(block);

  // Only a keep-alive line with a line after it is taken out; the last line of a rewritten block
  // carries no CR LF and therefore stays.
  static const Text kConnection = "Connection";
  if (Find(block, kConnection) != -1 && HeaderValue(block, kConnection) == "keep-alive") {
    block = ReplaceAll(block, "Connection: keep-alive\r\n", "");
  }

  if (!cookies.empty() && Find(block, "Cookie:", 1, true) == -1) {
    block += Find(cookies, "Cookie:", 1, true) == -1 ? "\r\nCookie: " : "\r\n";
    block += cookies;
    block += kCrLf;
  }
  return block;
}

Text CapitaliseHeaderNames(const Text& block) {
  Text result;
  for (const Text& line : Split(block, kCrLf)) {
    const long long colon = Find(line, ":");
    if (colon == -1) continue;
    const Text name = Left(line, colon - 1);
    Text newName;
    if (Find(name, "-") == -1) {
      newName = CapitaliseFirst(name);
    } else {
      bool first = true;
      for (const Text& piece : Split(name, "-")) {
        if (!first) newName += '-';
        newName += CapitaliseFirst(piece);
        first = false;
      }
    }
    // Splitting drops an empty piece after a final "-", so the new name can be shorter than the
    // old one; taking the tail by length keeps the rest of the line intact either way.
    const long long tailLength =
        static_cast<long long>(line.size()) - static_cast<long long>(newName.size());
    result += newName;
    result += Right(line, tailLength);
    result += kCrLf;
  }
  return Left(result, static_cast<long long>(result.size()) - 2);
}

Text CapitaliseFirst(const Text& text) {
  Text result = text;
  if (!result.empty() && result[0] >= 'a' && result[0] <= 'z') {
    result[0] = static_cast<char>(result[0] - 'a' + 'A');
  }
  return result;
}

Text HeaderValue(const Text& block, const Text& name) {
  for (const Text& line : Split(block, kCrLf)) {
    if (line.starts_with(name)) {
      return TextAfterLast(line, name + ": ");
    }
  }
  return Text();
}

}  // namespace tevrin
