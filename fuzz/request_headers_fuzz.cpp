// The request header block: composition, CapitaliseHeaderNames and HeaderValue over random
// caller lines, cookies and names.
//
// Input: options, then caller lines NUL cookies NUL header name. Option bit 0 makes the method
// POST (1) instead of GET (0), bit 1 completes the block with the default lines, bit 2 rewrites
// the names, bit 3 shapes every field into valid GBK first.
//
// Invariants:
// - CapitaliseHeaderNames keeps exactly the lines that have a colon, in order, joined by CR LF
//   with none after the last; a kept line keeps its length and every byte, except that the first
//   byte of the name and each byte after a "-" in the name is raised when it is a small letter;
//   doing it twice changes nothing;
// - HeaderValue is empty or the tail of the first line that begins with the name, right after
//   the last "<name>: " in it;
// - with completion on, every default line's detection text is in the block (letter case
//   ignored), the Content-Type one only for POST;
// - with names rewritten and no cookies, every line has a colon, none is empty and no CR LF
//   follows the last;
// - the cookies only ever add their line at the end, and only when the block has no "Cookie:".

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "web/request_headers.h"

namespace tevrin::fuzz {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// A CR LF that is a character of its own at the end; a lead byte before it would take the CR.
bool EndsWithLineBreak(const Text& text) {
  return text.ends_with(kCrLf) && IsBoundary(text, 0, text.size() - kCrLf.size());
}

void CheckCapitalised(const Text& block) {
  const Text result = CapitaliseHeaderNames(block);
  TextList kept;
  for (const Text& line : Split(block, kCrLf)) {
    if (ReferenceFind(line, ":") != -1) kept.push_back(line);
  }

  std::size_t at = 0;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const Text& line = kept[k];
    if (k > 0) {
      FUZZ_CHECK(result.compare(at, kCrLf.size(), kCrLf) == 0);
      at += kCrLf.size();
    }
    FUZZ_CHECK(result.size() - at >= line.size());
    const std::size_t colon = static_cast<std::size_t>(ReferenceFind(line, ":") - 1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char before = line[i];
      const char after = result[at + i];
      const bool pieceStart = i == 0 || (line[i - 1] == '-' && IsBoundary(line, 0, i - 1));
      const bool raised = i < colon && pieceStart && before >= 'a' && before <= 'z';
      FUZZ_CHECK(after == (raised ? static_cast<char>(before - 'a' + 'A') : before));
    }
    at += line.size();
  }
  FUZZ_CHECK(at == result.size());
  FUZZ_CHECK(CapitaliseHeaderNames(result) == result);
}

void CheckHeaderValue(const Text& block, const Text& name) {
  const Text value = HeaderValue(block, name);
  for (const Text& line : Split(block, kCrLf)) {
    if (!line.starts_with(name)) continue;
    const Text marker = name + ": ";
    if (!value.empty()) FUZZ_CHECK(line.ends_with(marker + value));
    const long long last = ReferenceFindLast(line, marker);
    FUZZ_CHECK(value == (last == -1 ? Text() : line.substr(last - 1 + marker.size())));
    return;
  }
  FUZZ_CHECK(value.empty());
}

void CheckComposition(const Text& callerLines, int method, const Text& cookies, bool complete,
                      bool normalise) {
  const Text block = ComposeRequestHeaders(callerLines, method, Text(), complete, normalise);
  if (complete) {
    static constexpr std::string_view kDetections[] = {
        "User-Agent: ", "Accept: ", "Accept-Encoding: ", "Accept-Language: ", "Cache-Control: "};
    for (const std::string_view detection : kDetections) {
      FUZZ_CHECK(ReferenceFind(block, detection, 1, true) != -1);
    }
    if (method == 1) FUZZ_CHECK(ReferenceFind(block, "Content-Type:", 1, true) != -1);
  }
  if (normalise) {
    FUZZ_CHECK(!EndsWithLineBreak(block));
    for (const Text& line : Split(block, kCrLf)) {
      FUZZ_CHECK(!line.empty());
      FUZZ_CHECK(ReferenceFind(line, ":") != -1);
    }
  }

  const Text withCookies = ComposeRequestHeaders(callerLines, method, cookies, complete, normalise);
  if (cookies.empty() || ReferenceFind(block, "Cookie:", 1, true) != -1) {
    FUZZ_CHECK(withCookies == block);
  } else {
    const bool named = ReferenceFind(cookies, "Cookie:", 1, true) != -1;
    FUZZ_CHECK(withCookies == block + (named ? "\r\n" : "\r\nCookie: ") + cookies + "\r\n");
  }
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  Input input = ReadInput(data, size, 3);
  if (input.Option(3)) {
    for (tevrin::Text& field : input.fields) field = ValidGbk(field);
  }
  const tevrin::Text& callerLines = input.fields[0];
  const tevrin::Text& cookies = input.fields[1];
  const tevrin::Text& name = input.fields[2];
  const int method = input.Option(0) ? 1 : 0;

  CheckComposition(callerLines, method, cookies, input.Option(1), input.Option(2));
  CheckCapitalised(callerLines);
  CheckHeaderValue(callerLines, name);
  const tevrin::Text block =
      tevrin::ComposeRequestHeaders(callerLines, method, cookies, input.Option(1), false);
  CheckCapitalised(block);
  CheckHeaderValue(block, name.empty() ? tevrin::Text("Connection") : name);
  return 0;
}
