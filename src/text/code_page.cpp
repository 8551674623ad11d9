#include "text/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>

namespace tevrin {
namespace {

// What to do with input that iconv cannot convert: how many input bytes to step over and what to
// write in their place.
struct Fallback {
  std::size_t skip;
  std::string_view replacement;
};

// Decides the fallback for the unconvertible input at the start of `rest`; `truncated` is true
// when the input ends in the middle of a character.
using FallbackRule = Fallback (*)(std::string_view rest, bool truncated);

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kUtf16Replacement = "\xFD\xFF";     // U+FFFD, little-endian
constexpr std::string_view kQuestionMark = "?";
constexpr std::string_view kEuroSignUtf8 = "\xE2\x82\xAC";

// Owns one iconv descriptor; iconv_t keeps shift state, so every conversion opens its own.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// The one conversion loop: converts all of `input`, replacing what cannot be converted as `rule`
// says, so malformed input always makes progress and never aborts the conversion. Nothing when
// iconv knows neither name.
std::optional<std::string> Convert(std::string_view input, const char* from, const char* to,
                                   FallbackRule rule) {
  Converter converter(to, from);
  if (!converter.ok()) return std::nullopt;

  std::string out;
  out.resize(input.size() * 2 + 16);
  std::size_t written = 0;
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();

  auto ensureRoom = [&](std::size_t needed) {
    if (out.size() - written < needed) out.resize(std::max(out.size() * 2, written + needed));
  };
  auto append = [&](std::string_view bytes) {
    ensureRoom(bytes.size());
    out.replace(written, bytes.size(), bytes);
    written += bytes.size();
  };

  while (true) {
    char* outPtr = out.data() + written;
    std::size_t outLeft = out.size() - written;
    // A null input flushes any pending shift state once the input is used up.
    std::size_t result = inLeft > 0 ? iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft)
                                    : iconv(converter.get(), nullptr, nullptr, &outPtr, &outLeft);
    written = static_cast<std::size_t>(outPtr - out.data());
    if (result != static_cast<std::size_t>(-1)) {
      if (inLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      ensureRoom(out.size() + 16);
      continue;
    }
    if (errno != EILSEQ && errno != EINVAL) break;  // Not expected from iconv; keep what we have.
    if (inLeft == 0) break;
    Fallback fallback = rule(std::string_view(in, inLeft), errno == EINVAL);
    std::size_t skip = std::min(std::max<std::size_t>(fallback.skip, 1), inLeft);
    append(fallback.replacement);
    in += skip;
    inLeft -= skip;
  }
  out.resize(written);
  return out;
}

// Invalid byte input (GBK, GB18030, UTF-8 or any named charset): one replacement per offending
// byte, as the platform's decoder does; a truncated character at the end is one replacement.
Fallback ByteToUtf8(std::string_view rest, bool truncated) {
  return {truncated ? rest.size() : 1, kUtf8Replacement};
}
Fallback ByteToUtf16(std::string_view rest, bool truncated) {
  return {truncated ? rest.size() : 1, kUtf16Replacement};
}

// GB18030 has no single byte 0x80, but code page 936 reads it as the euro sign and GBK text keeps
// it that way; show it as such rather than as a replacement character.
Fallback DisplayRule(std::string_view rest, bool truncated) {
  if (!truncated && static_cast<unsigned char>(rest[0]) == 0x80) return {1, kEuroSignUtf8};
  return ByteToUtf8(rest, truncated);
}

// Length of the UTF-8 character starting `rest`, or 1 when its first byte cannot start one.
std::size_t Utf8CharLength(std::string_view rest) {
  auto lead = static_cast<unsigned char>(rest[0]);
  std::size_t length = lead < 0x80                   ? 1
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                       : lead >= 0xE0                ? 3
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                                                     : 1;
  if (length > rest.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// UTF-8 into GBK: a character GBK cannot hold, or a malformed byte, becomes one "?".
Fallback Utf8ToGbkRule(std::string_view rest, bool truncated) {
  return {truncated ? rest.size() : Utf8CharLength(rest), kQuestionMark};
}

// Length of the UTF-16LE unit or surrogate pair starting `rest`.
std::size_t Utf16CharLength(std::string_view rest) {
  if (rest.size() < 4) return 2;
  auto unit = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(rest[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(rest[at + 1])) << 8;
  };
  bool pair = unit(0) >= 0xD800 && unit(0) < 0xDC00 && unit(2) >= 0xDC00 && unit(2) < 0xE000;
  return pair ? 4 : 2;
}

// UTF-16 into GBK: one "?" per character GBK cannot hold (a surrogate pair is one character).
Fallback Utf16ToGbkRule(std::string_view rest, bool truncated) {
  return {truncated ? rest.size() : Utf16CharLength(rest), kQuestionMark};
}
// UTF-16 into UTF-8: only a lone surrogate fails; it becomes U+FFFD.
Fallback Utf16ToUtf8Rule(std::string_view rest, bool truncated) {
  return {truncated ? rest.size() : 2, kUtf8Replacement};
}

const char* IconvName(int codePage) {
  return codePage == kCodePageUtf8 ? "UTF-8" : codePage == kCodePageGbk ? "CP936" : nullptr;
}

}  // namespace

// Undecodable input becomes U+FFFD per offending byte (a truncated character at the end is one
// U+FFFD), never a stop: the rest of the text is still converted.
Bytes ToUtf16(std::string_view text, int codePage) {
  const char* from = IconvName(codePage);
  if (from == nullptr) return Bytes(2, '\0');
  Bytes result = Convert(text, from, "UTF-16LE", ByteToUtf16).value_or(Bytes());
  result.append(2, '\0');
  return result;
}

Text FromUtf16(std::string_view utf16, int codePage) {
  const char* to = IconvName(codePage);
  if (to == nullptr) return Text();
  std::size_t units = utf16.size() / 2;
  std::size_t end = 0;
  while (end < units && (utf16[2 * end] != '\0' || utf16[2 * end + 1] != '\0')) ++end;
  FallbackRule rule = codePage == kCodePageUtf8 ? Utf16ToUtf8Rule : Utf16ToGbkRule;
  Text result = Convert(utf16.substr(0, 2 * end), "UTF-16LE", to, rule).value_or(Text());
  std::size_t zero = result.find('\0');
  if (zero != Text::npos) result.resize(zero);
  return result;
}

std::string GbkToUtf8(std::string_view gbk) {
  return FromUtf16(ToUtf16(gbk, kCodePageGbk), kCodePageUtf8);
}

Text PercentEncode(std::string_view gbk) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string utf8 = GbkToUtf8(gbk);
  Text result;
  result.reserve(utf8.size() * 3);
  for (unsigned char byte : utf8) {
    result += '%';
    result += kDigits[byte >> 4];
    result += kDigits[byte & 0x0F];
  }
  return result;
}

std::string GbkToDisplayUtf8(std::string_view gbk) {
  return Convert(gbk, "GB18030", "UTF-8", DisplayRule).value_or(std::string());
}

Text Utf8ToGbk(std::string_view utf8) {
  return Convert(utf8, "UTF-8", "CP936", Utf8ToGbkRule).value_or(Text());
}

// Decoding goes through UTF-8 so that a malformed input byte (U+FFFD) and a character GBK lacks
// both end up as "?" in the result; neither stops the conversion.
std::optional<Text> CharsetToGbk(std::string_view bytes, std::string_view name) {
  std::string iconvName(name);
  if (iconvName.empty() || iconvName.find('/') != std::string::npos) return std::nullopt;
  if (EqualsIgnoreCase(iconvName, "gb2312")) iconvName = "CP936";
  std::optional<std::string> utf8 = Convert(bytes, iconvName.c_str(), "UTF-8", ByteToUtf8);
  if (!utf8) return std::nullopt;
  return Utf8ToGbk(*utf8);
}

Text Gbk(std::u8string_view literal) {
  return Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(literal.data()), literal.size()));
}

}  // namespace tevrin
