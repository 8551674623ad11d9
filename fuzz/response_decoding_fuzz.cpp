// Response decoding: random bodies under random declared charsets.
//
// Input: options, then charset name NUL text before the declaration NUL rest of the body (any
// bytes). Option bits 0..3 pick the declared name (0: the given one, else a name from a table);
// bits 4..5 the way the page declares it (three meta forms, or none); bit 6 builds the rest of
// the body from text whose conversion is known (ASCII and GB2312 hanzi, encoded in the declared
// charset); bit 7 moves the declaration to the end of the first 1024 bytes or past them.
//
// Invariants:
// - the pending events are processed exactly once, the result holds no NUL, and the charset
//   found is letters, digits, "_" and "-" only;
// - no declaration, "gbk"/"gb2312" exactly, a name iconv does not know, or a declaration past
//   byte 1024: the result is the body up to its first NUL; otherwise it is the whole body
//   converted to GBK up to the first NUL of the conversion;
// - a converted result is clean GBK: GB18030 decodes every character of it;
// - text written in UTF-8, GBK, GB2312 or GB18030 and declared so comes back as the same GBK.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz_support.h"
#include "text/code_page.h"
#include "text/regex_object.h"
#include "web/response_decoding.h"

namespace tevrin::fuzz {
namespace {

constexpr std::size_t kWindow = 1024;

constexpr std::string_view kCharsets[] = {
    "",        "utf-8", "UTF-8",  "utf8",     "gbk",        "GBK",       "gb2312", "GB2312",
    "gb18030", "big5",  "utf-16", "utf-16le", "iso-8859-1", "shift_jis", "euc-kr", "windows-1252"};

enum class Encoding { kNone, kUtf8, kGbk };

Encoding KnownEncoding(std::string_view name) {
  if (EqualsIgnoreCase(name, "utf-8") || EqualsIgnoreCase(name, "utf8")) return Encoding::kUtf8;
  if (EqualsIgnoreCase(name, "gbk") || EqualsIgnoreCase(name, "gb2312") ||
      EqualsIgnoreCase(name, "gb18030")) {
    return Encoding::kGbk;
  }
  return Encoding::kNone;
}

Text Declaration(unsigned style, std::string_view name) {
  const Text charset(name);
  switch (style) {
    case 0:
      return "<meta charset=" + charset + ">\n";
    case 1:
      return R"(<meta http-equiv="Content-Type" content="text/html; charset=)" + charset + "\">\n";
    case 2:
      return "<META CHARSET=\"" + charset + "\" />\n";
    default:
      return "";
  }
}

// Printable ASCII (no "<", so no second declaration) and GB2312 hanzi, as GBK.
Text KnownText(std::string_view recipe) {
  Text text;
  for (std::size_t i = 0; i + 1 < recipe.size(); i += 2) {
    const auto a = static_cast<unsigned char>(recipe[i]);
    const auto b = static_cast<unsigned char>(recipe[i + 1]);
    if (a < 0x80) {
      const char c = static_cast<char>(0x20 + a % 0x5F);
      text += c == '<' ? '(' : c;
      continue;
    }
    auto lead = static_cast<unsigned char>(0xB0 + a % 0x48);
    auto trail = static_cast<unsigned char>(0xA1 + b % 0x5E);
    if (lead == 0xD7 && trail > 0xF9) trail = 0xF9;  // the five unassigned codes of row 55
    text += static_cast<char>(lead);
    text += static_cast<char>(trail);
  }
  return text;
}

Text AsciiHead(std::string_view bytes) {
  Text head;
  for (const char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '<') head += c;
  }
  return head;
}

std::string_view UpToNul(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

Text Decode(const Bytes& body) {
  RegexObject regex;
  int calls = 0;
  const Text result = DecodeResponse(body, regex, [&calls] { ++calls; });
  FUZZ_CHECK(calls == 1);
  FUZZ_CHECK(result.find('\0') == Text::npos);

  const std::string_view plain = UpToNul(body);
  RegexObject charsetSearch;
  FUZZ_CHECK(
      charsetSearch.Execute(R"(<meta.+?charset=[^\w]?([-\w]+))", Text(plain.substr(0, kWindow))));
  const Text charset = charsetSearch.GroupText(1, 1);
  for (const char c : charset) {
    const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-';
    FUZZ_CHECK(word);
  }

  std::optional<Text> converted;
  if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
    converted = CharsetToGbk(body, charset);
  }
  if (!converted) {
    FUZZ_CHECK(result == plain);
  } else {
    FUZZ_CHECK(result == UpToNul(*converted));
    FUZZ_CHECK(GbkToDisplayUtf8(result).find("\xEF\xBF\xBD") == std::string::npos);
  }
  return result;
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 3);
  const unsigned choice = input.options & 15u;
  const std::string_view name = choice == 0 ? std::string_view(input.fields[0]) : kCharsets[choice];
  const unsigned style = (input.options >> 4) & 3u;
  const bool known = input.Option(6) && style != 3 && KnownEncoding(name) != Encoding::kNone;
  const bool late = input.Option(7);

  tevrin::Text head = known ? AsciiHead(input.fields[1]) : input.fields[1];
  const tevrin::Text declaration = Declaration(style, name);
  // Late: the whole declaration past the window, or (odd head) its name ending on the window's
  // last byte or one byte after it.
  const bool edge = late && !declaration.empty() && head.size() % 2 == 1;
  if (edge) {
    const std::size_t nameEnd = declaration.rfind(name) + name.size();
    const std::size_t end = kWindow + (head.size() >> 1 & 1u);
    head.resize(end > nameEnd ? end - nameEnd : 0, ' ');
  } else if (late) {
    head.resize(std::max(head.size(), kWindow + 1), ' ');
  }
  if (!known || edge) {
    Decode(head + declaration + input.fields[2]);
    return 0;
  }

  const tevrin::Text text = KnownText(input.fields[2]);
  const tevrin::Bytes encoded =
      KnownEncoding(name) == Encoding::kUtf8 ? tevrin::GbkToUtf8(text) : text;
  const tevrin::Text result = Decode(head + declaration + encoded);
  FUZZ_CHECK(result == head + declaration + (late ? encoded : text));
  return 0;
}
